// Compiles the tests' precompiled header once; never run.
int main()
{
    return 0;
}

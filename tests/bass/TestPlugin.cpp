// A stand-in add-on for the loader's tests: it only has the entry point
// every BASS add-on exports.
extern "C" __attribute__((visibility("default"))) const void *BASSplugin(unsigned face)
{
    (void)face;
    return nullptr;
}

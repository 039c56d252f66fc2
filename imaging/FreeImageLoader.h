#pragma once

#include <cstddef>

class Image32;

// Binding of the FreeImage library, loaded by name at run time. Loading looks
// in the executable's own folder first, then the system's search path; a
// missing library is a normal state and reported nowhere. Loading may run on
// any thread; FreeImageLoaded() turns true only once the table is complete.
bool LoadFreeImageLibrary();
bool UnloadFreeImageLibrary();

// Binds the library for the lifetime of the object: made before any window
// exists, gone after the last one. With BindLater the scope only releases
// the library at its end, whoever bound it meanwhile.
struct FreeImageLibraryScope
{
    enum Binding { BindNow, BindLater };
    explicit FreeImageLibraryScope(Binding binding = BindNow)
    {
        if (binding == BindNow)
            LoadFreeImageLibrary();
    }
    ~FreeImageLibraryScope() { UnloadFreeImageLibrary(); }
    FreeImageLibraryScope(const FreeImageLibraryScope &) = delete;
    FreeImageLibraryScope &operator=(const FreeImageLibraryScope &) = delete;
};

// True only when the library is loaded and every one of its 28 entry points
// this binding knows was found.
bool FreeImageLoaded();

// Decodes image data held in memory (any format FreeImage detects) into
// destination. 32-bit images keep every pixel word, alpha included; other
// depths come out fully opaque. False when the library is not bound, the data
// does not decode or the image is empty; destination is untouched then.
bool DecodeImageFromMemory(const void *data, std::size_t size, Image32 &destination);

// For tests: the library file to try instead of the usual name, which lets a
// test bind a library that lacks entry points. Empty restores the default.
void SetFreeImageLibraryNameForTesting(const char *fileName);

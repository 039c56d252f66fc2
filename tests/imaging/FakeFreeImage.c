/* A stand-in for the FreeImage library that exports the binding's names as
   empty stubs, optionally leaving one out, to check that the binding resolves
   exactly these names and needs every one of them. */
#define STUB(name)                                                                                                     \
    void name(void)                                                                                                    \
    { }

STUB(FreeImage_GetFileTypeU)
STUB(FreeImage_GetFIFFromFilenameU)
STUB(FreeImage_LoadU)
STUB(FreeImage_GetInfoHeader)
STUB(FreeImage_GetInfo)
STUB(FreeImage_GetBPP)
STUB(FreeImage_GetBits)
STUB(FreeImage_Unload)
STUB(FreeImage_Initialise)
STUB(FreeImage_DeInitialise)
STUB(FreeImage_SaveU)
STUB(FreeImage_Allocate)
STUB(FreeImage_GetColorsUsed)
STUB(FreeImage_GetHeight)
STUB(FreeImage_GetWidth)
STUB(FreeImage_Rescale)
STUB(FreeImage_OpenMemory)
STUB(FreeImage_CloseMemory)
STUB(FreeImage_LoadFromMemory)
STUB(FreeImage_GetFileTypeFromMemory)
STUB(FreeImage_SaveToMemory)
STUB(FreeImage_AcquireMemory)
STUB(FreeImage_GetMetadata)
STUB(FreeImage_GetTagValue)
STUB(FreeImage_ColorQuantize)
STUB(FreeImage_ConvertTo24Bits)
STUB(FreeImage_ConvertTo32Bits)
#ifndef OMIT_LAST_ENTRY
STUB(FreeImage_AdjustGamma)
#endif

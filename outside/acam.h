// The camera-control library: the camera's USB identity and its flash, byte by byte.
//
// Every use is bracketed: ALC_Initialize, the calls of that use, ALC_UnInitialize on
// every path out. Brackets may nest. A call outside any bracket fails.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Result never tested by the program; non-zero when a backend answered.
unsigned char ALC_Initialize(void);
void ALC_UnInitialize(void);
// Fills the vendor id (first) and product id (second); non-zero on success.
unsigned char ALC_GetPIDVID(unsigned short* first, unsigned short* second);
// Reads count bytes from address into dest; non-zero on success.
unsigned char ALC_ReadFlash(unsigned int address, unsigned int count, unsigned char* dest);
// Writes count bytes from src to address; non-zero on success (the program does not test it).
unsigned char ALC_WriteFlash(unsigned int address, unsigned int count, const unsigned char* src);
// Declares the flash size in bytes; non-zero on success (the program does not test it).
unsigned char ALC_SetFlashSize(unsigned int size);

#ifdef __cplusplus
}
#endif

/* Image conversion library used by the form-printing library: converts a TIFF file into
 * a Windows bitmap file (BMP, 40-byte information header) that the form library's bitmap
 * reader draws. Plain C ABI; no global state besides silencing the TIFF decoder's
 * console warnings. */
#ifndef FMIMG32_H
#define FMIMG32_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define FMIMG32_API __attribute__((visibility("default")))
#else
#define FMIMG32_API
#endif

/* Converts sourceFile (any TIFF the TIFF decoder reads: bilevel, greyscale, palette,
 * RGB; uncompressed, LZW, PackBits, Deflate, CCITT) into bitmapFile, which is created or
 * truncated. Bilevel images become 1-bit bitmaps, all others 24-bit. Only the first
 * image of a multi-page file is converted. Returns 0 on success, non-zero on failure
 * (the bitmap file is then left empty). */
FMIMG32_API int Tiff2Bmp(const char* sourceFile, const char* bitmapFile);

#ifdef __cplusplus
}
#endif

#endif

/* fmdraw32.h - C interface of the form-printing library libfmdraw32.so.
 *
 * Conventions of every function:
 *  - integers are 32-bit; strings are NUL-terminated CP932 byte strings;
 *  - the session record is the caller's array of FMDRAW_SESSION_WORDS 32-bit words, zero
 *    before first use, passed last: words 0 and 1 hold the work area's address (low and
 *    high half), word 2 the state (0 closed, 19600 open, 19605 printer settings given);
 *  - positions and sizes are in 0.01 mm from the page's top-left corner;
 *  - results are 0 or a negative code; no C++ exception leaves the library.
 * The library keeps no global state: every session lives behind its record.
 * Form files are described in docs/formats/fed.md, the platform around the library
 * (printers, ports, search path) in formdraw/README.md. */
#ifndef FMDRAW32_H
#define FMDRAW32_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(FMDRAW_BUILDING) && defined(__GNUC__)
#define FMDRAW_API __attribute__((visibility("default")))
#else
#define FMDRAW_API
#endif

#define FMDRAW_SESSION_WORDS 3  /* a longer array works too */
#define FMDRAW_STATE_CLOSED 0
#define FMDRAW_STATE_OPEN 19600
#define FMDRAW_STATE_SETTINGS 19605

/* Parameter record of FmInitIndirect / FmInitIndirectName (200 bytes). */
typedef struct FmInitParams {
  int32_t window, dc, mode, magnification, xOffset, yOffset, left, top, width, height;
  uint32_t mask;          /* printer settings: field mask ...                         */
  int16_t settings[12];   /* orientation, paper size, paper length, paper width, scale,
                             copies, default source, print quality, colour, duplex,
                             y resolution, TrueType option                            */
  int16_t lastWord;
  char formFile[130];     /* ended by the first byte below 33                          */
} FmInitParams;

/* ---- Form files and form information ---------------------------------------------- */
FMDRAW_API int32_t FmGetFormVersion(const char* fileName);
FMDRAW_API int32_t FmGetPaperSize(const char* fileName);
FMDRAW_API int32_t FmGetOrientation(const char* fileName);
FMDRAW_API int32_t FmGetFormLong(int32_t kind, const char* fileName, int32_t* out);
FMDRAW_API int32_t FmGetFormString(int32_t kind, const char* fileName, char* out512);
FMDRAW_API int32_t ObjectNoGetV4(int32_t variant, const char* fileName, int16_t* counts13);
FMDRAW_API int32_t FormInfoRead(const char* fileName, const int16_t* counts13, void* arr0,
                                void* arr1, void* arr2, void* arr3, void* arr4, void* arr5,
                                void* arr6, void* arr7, void* arr8, void* arr9, void* arr10,
                                void* arr11, void* fontTable38, char* hangingList257);
FMDRAW_API int32_t FieldInfoRead(const char* fileName, const int16_t* counts13, void* arr0,
                                 void* dataFields, void* imageFields, void* listFields,
                                 void* barcodeFields, void* fontTable38);
FMDRAW_API int32_t AllFormRead(const char* fileName, int32_t offset, const int16_t* counts13,
                               void* arr0, void* arr1, void* arr2, void* arr3, void* arr4,
                               void* arr5, void* arr6, void* arr7, void* arr8, void* arr9,
                               void* arr10, void* arr11);
FMDRAW_API int32_t AllFormWrite(int32_t variant, const char* fileName, const int16_t* counts13,
                                const void* arr0, const void* arr1, const void* arr2,
                                const void* arr3, const void* arr4, const void* arr5,
                                const void* arr6, const void* arr7, const void* arr8,
                                const void* arr9, const void* arr10, const void* arr11);
/* Block handles are pointer-sized. */
FMDRAW_API void* FmAllocMem(int32_t reallocate, intptr_t* handle, int32_t size);
FMDRAW_API int32_t FmFreeMem(intptr_t handle);
FMDRAW_API int32_t FmSetForm(int32_t formNo, int32_t magnification, int32_t xOffset,
                             int32_t yOffset, const char* fileName, int32_t* session);

/* ---- Print sessions ------------------------------------------------------------------ */
FMDRAW_API int32_t FmInit(int32_t window, int32_t dc, int32_t mode, int32_t magnification,
                          int32_t xOffset, int32_t yOffset, int32_t left, int32_t top,
                          int32_t width, int32_t height, const char* formFile,
                          const char* outputFile, int32_t* session);
FMDRAW_API int32_t FmInitName(int32_t window, int32_t dc, int32_t mode, int32_t magnification,
                              int32_t xOffset, int32_t yOffset, int32_t left, int32_t top,
                              int32_t width, int32_t height, const char* formFile,
                              const char* outputFile, int32_t* session,
                              const char* documentName);
FMDRAW_API int32_t FmInitIndirect(const FmInitParams* parameters, int32_t* session);
FMDRAW_API int32_t FmInitIndirectName(const FmInitParams* parameters, int32_t* session,
                                      const char* documentName);
FMDRAW_API int32_t FmSetPrinterDriver(int32_t mask, int32_t orientation, int32_t paperSize,
                                      int32_t paperLength, int32_t paperWidth, int32_t scale,
                                      int32_t copies, int32_t defaultSource,
                                      int32_t printQuality, int32_t colour, int32_t duplex,
                                      int32_t yResolution, int32_t ttOption, int32_t* session);
FMDRAW_API int32_t FmPrintOut(int32_t* session);
FMDRAW_API int32_t FmChangeForm(const char* formFile, int32_t* session);
FMDRAW_API int32_t FmTerm(int32_t* session);
FMDRAW_API int32_t FmAbort(int32_t* session);
FMDRAW_API int32_t FmPrintFile(const char* fileName);

/* ---- Field data ------------------------------------------------------------------------ */
FMDRAW_API int32_t FmSetLong(int32_t code, int32_t value, int32_t* session);
FMDRAW_API int32_t FmSetString(int32_t code, const char* text, int32_t* session);
FMDRAW_API int32_t FmGetFieldInfo(int32_t kind, const char* name, int32_t* rect4,
                                  int32_t* session);
FMDRAW_API int32_t FmGetFieldPtr(int32_t kind, const char* name, int32_t* left, int32_t* top,
                                 int32_t* right, int32_t* bottom, int32_t* session);
FMDRAW_API int32_t FmGetFieldNo(const char* formFile, const char* fieldName, int32_t kind);
FMDRAW_API int32_t FmGetListFieldRow(const char* formFile, const char* listFieldName);
FMDRAW_API int32_t FmAllocListBuffer(const char* listFieldName, int32_t* session);
FMDRAW_API int32_t FmSetListData(int32_t column, int32_t row, int32_t length, const char* text,
                                 int32_t* session);
FMDRAW_API int32_t FmPrintListBuffer(int32_t* session);
FMDRAW_API int32_t FmBrsGetForm(const char* sourceFile, int32_t formIndex,
                                const char* targetFile);
FMDRAW_API int32_t FmBrsGetDataByForm(const char* sourceFile, int32_t formIndex,
                                      const char* itemName, char* dataOut);
FMDRAW_API int32_t FmBrsGetListByForm(const char* sourceFile, int32_t formIndex,
                                      const char* itemName, const char* subItemName,
                                      char* dataOut);
FMDRAW_API int32_t FmSetProfile(const char* directory, const char* kind);

/* ---- Form and field printing ------------------------------------------------------------ */
FMDRAW_API int32_t FmPrintForm(const char* reserved, int32_t* session);
FMDRAW_API int32_t FmPrintDataField(const char* fieldName, const char* value, int32_t* session);
FMDRAW_API int32_t FmPrintListField(const char* fieldName, const void* cellBuffer,
                                    int32_t* session);

/* ---- Primitives, fonts and text --------------------------------------------------------- */
FMDRAW_API int32_t FmSetLine(int32_t style, int32_t width, int32_t* session);
FMDRAW_API int32_t FmSetPattern(int32_t pattern, int32_t* session);
FMDRAW_API int32_t FmSetFont(int32_t width, int32_t height, int32_t face, int32_t italic,
                             int32_t bold, int32_t* session);
FMDRAW_API int32_t FmSetKanjiFont(int32_t a, int32_t b, int32_t c, int32_t* session);
FMDRAW_API int32_t FmCreateFont(int32_t width, int32_t height, int32_t escapement, int32_t bold,
                                int32_t italic, int32_t charSet, int32_t pitch, int32_t family,
                                const char* faceName, int32_t* session);
FMDRAW_API int32_t FmPrintText(int32_t x, int32_t y, int32_t extent, int32_t direction,
                               int32_t alignment, const char* text, int32_t* session);
FMDRAW_API int32_t FmPrintLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t* session);
FMDRAW_API int32_t FmPrintBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t radius,
                              int32_t* session);
FMDRAW_API int32_t FmPrintPolygon(int32_t count, const int32_t* points, int32_t* session);
FMDRAW_API int32_t FmPrintCircle(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                 int32_t* session);
FMDRAW_API int32_t FmPrintArc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t xStart,
                              int32_t yStart, int32_t xEnd, int32_t yEnd, int32_t* session);
FMDRAW_API int32_t FmPrintChord(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t xStart,
                                int32_t yStart, int32_t xEnd, int32_t yEnd, int32_t* session);
FMDRAW_API int32_t FmPrintPie(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t xStart,
                              int32_t yStart, int32_t xEnd, int32_t yEnd, int32_t* session);

/* ---- Barcodes --------------------------------------------------------------------------- */
FMDRAW_API int32_t FmSetBarcode(int32_t minimumWidth, int32_t* session);
FMDRAW_API int32_t FmSetBarSize(int32_t selector, int32_t value1, int32_t value2, int32_t value3,
                                int32_t value4, int32_t value5, int32_t value6, int32_t value7,
                                int32_t value8, int32_t* session);
FMDRAW_API int32_t FmSetBarInfo(const int32_t* info, int32_t* session);
FMDRAW_API int32_t FmBarcodeJan13(int32_t direction, int32_t x1, int32_t y1, int32_t x2,
                                  int32_t y2, const char* text, char* encoded, int32_t* session);
FMDRAW_API int32_t FmBarcodeJan8(int32_t direction, int32_t x1, int32_t y1, int32_t x2,
                                 int32_t y2, const char* text, char* encoded, int32_t* session);
FMDRAW_API int32_t FmBarcode39(int32_t direction, int32_t checkFlag, int32_t x1, int32_t y1,
                               int32_t x2, int32_t y2, const char* text, char* encoded,
                               int32_t* session);
FMDRAW_API int32_t FmBarcodeITF(int32_t direction, int32_t x1, int32_t y1, int32_t x2,
                                int32_t y2, const char* text, char* encoded, int32_t* session);
FMDRAW_API int32_t FmBarcodeNW7(int32_t direction, int32_t checkFlag, int32_t x1, int32_t y1,
                                int32_t x2, int32_t y2, const char* text, char* encoded,
                                int32_t* session);
FMDRAW_API int32_t FmPrintBarcodeField(const char* fieldName, const char* text, char* encoded,
                                       int32_t* session);

/* ---- Images ----------------------------------------------------------------------------- */
FMDRAW_API int32_t FmPrintImage(int32_t resolution, int32_t x, int32_t y, const char* fileName,
                                int32_t* session);
FMDRAW_API int32_t FmPrintImageField(const char* fieldName, const char* fileName,
                                     int32_t* session);
FMDRAW_API int32_t DrawBitMap(int32_t window, int32_t dc, int32_t magnification,
                              int32_t deviceResolution, const char* fileName,
                              int32_t imageResolution, int32_t x, int32_t y, int32_t width,
                              int32_t height, int32_t fileOffset);

#ifdef __cplusplus
}
#endif

#endif /* FMDRAW32_H */

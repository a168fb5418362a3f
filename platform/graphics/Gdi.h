#pragma once
// The drawing interface of the platform: device contexts over 32-bit (also 24- and 1-bit)
// pixel surfaces, drawing objects (bitmaps, brushes, pens, fonts, regions), blits, primitives,
// regions and text, with the platform's names, numbers and coordinate rules.
//
// A device context (DC) is a surface plus a device origin, a base clip, the user clip region,
// the window and viewport origins, the selected objects and the text and drawing modes. SaveDC
// pushes all of that as one state; RestoreDC pops it. Logical point p lands on surface pixel
//   p - window origin + viewport origin + device origin.
// Clip regions given to SelectClipRgn are in device coordinates (device origin at 0, 0).
//
// Pixel rule for 32-bit surfaces: fills, lines and text write the colour with alpha 0, as the
// platform does; BitBlt/StretchBlt SRCCOPY from a 32-bit source copy all four bytes (from a 24-bit
// source alpha becomes 0); the other raster operations work on all 32 bits with pattern
// and constant colours carrying alpha 0; AlphaBlend is the one operation that mixes alpha.
//
// Handles are looked up in the layer's tables under one lock, so objects may be made and
// freed on any thread; a stale or foreign handle makes a call fail (FALSE, 0 or nullptr).
// A DC itself is used by one thread at a time.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Colors.h"
#include "platform/core/Types.h"

class PixelSurface;
class Region;

// ---- Bitmaps and DIBs --------------------------------------------------------------------------
constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_BITFIELDS = 3;
constexpr UINT DIB_RGB_COLORS = 0;

struct RGBQUAD {
  BYTE rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
};

struct BITMAPINFOHEADER {
  DWORD biSize = 40;
  LONG biWidth = 0;
  LONG biHeight = 0;  // negative: top-down rows
  WORD biPlanes = 1;
  WORD biBitCount = 0;
  DWORD biCompression = BI_RGB;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

struct BITMAP {
  LONG bmType = 0;
  LONG bmWidth = 0;
  LONG bmHeight = 0;
  LONG bmWidthBytes = 0;
  WORD bmPlanes = 1;
  WORD bmBitsPixel = 0;
  void* bmBits = nullptr;
};

struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3] = {0, 0, 0};
  HANDLE dshSection = nullptr;
  DWORD dsOffset = 0;
};

// A zero-filled top-down or bottom-up section of 1, 24 or 32 bits a pixel. Rows are always
// stored top-down in memory; a positive biHeight is accepted and gives the same memory (the
// platform's bottom-up order is not kept; callers of this code base ask for top-down).
// *ppvBits receives the pixel memory. nullptr for another depth or a size beyond the limits.
[[nodiscard]] HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                                       HANDLE hSection, DWORD offset);
// A 32-bit zero-filled bitmap of that size (what the screen is compatible with).
[[nodiscard]] HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);
// A monochrome (nPlanes 1, nBitCount 1) or 32-bit bitmap; bits, when given, are rows of the
// platform's 2-byte-aligned layout for 1 bit and 4-byte pixels for 32 bits.
[[nodiscard]] HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits);
// A bitmap handle over a surface the caller already has (shared with it).
[[nodiscard]] HBITMAP CreateBitmapFromSurface(std::shared_ptr<PixelSurface> surface);
// The surface behind a bitmap handle; nullptr for a stale handle.
[[nodiscard]] std::shared_ptr<PixelSurface> GetBitmapSurface(HBITMAP hbm);

// ---- Objects -----------------------------------------------------------------------------------
constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;
constexpr UINT BS_HOLLOW = BS_NULL;

struct LOGBRUSH {
  UINT lbStyle = BS_SOLID;
  COLORREF lbColor = 0;
  ULONG_PTR lbHatch = 0;
};

constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;

struct LOGPEN {
  UINT lopnStyle = PS_SOLID;
  TPoint lopnWidth{1, 0};
  COLORREF lopnColor = 0;
};

constexpr int LF_FACESIZE = 32;
constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SHIFTJIS_CHARSET = 128;
constexpr BYTE GB2312_CHARSET = 134;
constexpr BYTE CHINESEBIG5_CHARSET = 136;

// A font request. lfHeight < 0 asks for that character height (the em size) in pixels,
// lfHeight > 0 for that cell height (ascent + descent), 0 for the default size. Face names are
// UTF-8; the character set is accepted and does not change the glyphs (fallback per glyph
// covers every script).
struct LOGFONT {
  LONG lfHeight = 0;
  LONG lfWidth = 0;
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = FW_NORMAL;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = DEFAULT_CHARSET;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = 0;
  std::string lfFaceName;
};

constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;

// Stock objects live for the whole run; DeleteObject ignores them.
[[nodiscard]] HGDIOBJ GetStockObject(int i);
[[nodiscard]] HBRUSH CreateSolidBrush(COLORREF color);
[[nodiscard]] HBRUSH CreateBrushIndirect(const LOGBRUSH* plbrush);
// A solid brush of a system colour, owned by the system (DeleteObject ignores it).
[[nodiscard]] HBRUSH GetSysColorBrush(int nIndex);
[[nodiscard]] HPEN CreatePen(int iStyle, int cWidth, COLORREF color);
[[nodiscard]] HPEN CreatePenIndirect(const LOGPEN* plpen);
[[nodiscard]] HFONT CreateFontIndirect(const LOGFONT* lplf);
// Frees an object. A bitmap selected into a DC stays alive until the DC lets it go.
BOOL DeleteObject(HGDIOBJ ho);
// Fills the object's description: BITMAP or DIBSECTION (by size), LOGBRUSH, LOGPEN, LOGFONT.
// Returns the bytes written, 0 on failure; with pv null, the bytes needed.
int GetObject(HGDIOBJ h, int c, void* pv);

// Typed handles convert to HGDIOBJ implicitly here, as the platform's handles do.
[[nodiscard]] inline HGDIOBJ ToObject(const void* h) { return static_cast<HGDIOBJ>(const_cast<void*>(h)); }
inline BOOL DeleteObject(HBITMAP h) { return DeleteObject(ToObject(h)); }
inline BOOL DeleteObject(HBRUSH h) { return DeleteObject(ToObject(h)); }
inline BOOL DeleteObject(HPEN h) { return DeleteObject(ToObject(h)); }
inline BOOL DeleteObject(HFONT h) { return DeleteObject(ToObject(h)); }
inline BOOL DeleteObject(HRGN h) { return DeleteObject(ToObject(h)); }
inline int GetObject(HBITMAP h, int c, void* pv) { return GetObject(ToObject(h), c, pv); }
inline int GetObject(HBRUSH h, int c, void* pv) { return GetObject(ToObject(h), c, pv); }
inline int GetObject(HPEN h, int c, void* pv) { return GetObject(ToObject(h), c, pv); }
inline int GetObject(HFONT h, int c, void* pv) { return GetObject(ToObject(h), c, pv); }

// ---- Device contexts ---------------------------------------------------------------------------
// A memory DC with a 1 x 1 monochrome placeholder bitmap selected, as the platform gives.
[[nodiscard]] HDC CreateCompatibleDC(HDC hdc);
// A DC over a 32-bit surface owned elsewhere (a window's back buffer): device (0, 0) is surface
// pixel `origin`, and drawing never leaves `clip` (surface coordinates; nullptr: the whole
// surface). SelectClipRgn and the other clip calls only narrow that clip.
[[nodiscard]] HDC CreateSurfaceDC(std::shared_ptr<PixelSurface> surface, TPoint origin, const Region* clip);
BOOL DeleteDC(HDC hdc);
// The screen DC (hWnd nullptr): a headless 32-bit screen surface of GetScreenSize(). For a
// window, GetDC and ReleaseDC ask the handlers the windowing layer installed (nullptr / 0
// without them).
[[nodiscard]] HDC GetDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC hdc);
using TWindowDCGetter = std::function<HDC(HWND)>;
using TWindowDCReleaser = std::function<int(HWND, HDC)>;
struct TWindowDCHandlers {
  TWindowDCGetter Get;
  TWindowDCReleaser Release;
};
// Installs the windowing layer's window DC handlers (set once, at start-up, before any window
// DC is asked for) and answers the ones they replace, for whoever stands in for them a while.
TWindowDCHandlers SetWindowDCHandlers(TWindowDCGetter Get, TWindowDCReleaser Release);
[[nodiscard]] TSize GetScreenSize();
// Sets the size of the headless screen surface (taken by the next GetDC).
void SetScreenSize(TSize size);
// The surface a DC draws on; nullptr for a stale DC.
[[nodiscard]] std::shared_ptr<PixelSurface> GetDCSurface(HDC hdc);
// Live drawing objects (stock and system objects included) and device contexts of the process,
// for leak checks.
[[nodiscard]] std::size_t LiveGdiObjectCount();
[[nodiscard]] std::size_t LiveDCCount();

// Selects a bitmap, brush, pen or font (a region goes to SelectClipRgn and returns its
// complexity); returns the previously selected object of that kind, nullptr on failure.
// A bitmap can be selected into one DC at a time.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
inline HGDIOBJ SelectObject(HDC hdc, HBITMAP h) { return SelectObject(hdc, ToObject(h)); }
inline HGDIOBJ SelectObject(HDC hdc, HBRUSH h) { return SelectObject(hdc, ToObject(h)); }
inline HGDIOBJ SelectObject(HDC hdc, HPEN h) { return SelectObject(hdc, ToObject(h)); }
inline HGDIOBJ SelectObject(HDC hdc, HFONT h) { return SelectObject(hdc, ToObject(h)); }
inline HGDIOBJ SelectObject(HDC hdc, HRGN h) { return SelectObject(hdc, ToObject(h)); }
constexpr UINT OBJ_PEN = 1;
constexpr UINT OBJ_BRUSH = 2;
constexpr UINT OBJ_FONT = 6;
constexpr UINT OBJ_BITMAP = 7;
[[nodiscard]] HGDIOBJ GetCurrentObject(HDC hdc, UINT type);

// Saves the whole state; returns its level (1, 2, ...), 0 on failure.
int SaveDC(HDC hdc);
// nSavedDC > 0 restores that level (dropping those above); < 0 pops that many.
BOOL RestoreDC(HDC hdc, int nSavedDC);

BOOL SetWindowOrgEx(HDC hdc, int x, int y, TPoint* lppt);
BOOL GetWindowOrgEx(HDC hdc, TPoint* lppoint);
BOOL SetViewportOrgEx(HDC hdc, int x, int y, TPoint* lppt);
BOOL GetViewportOrgEx(HDC hdc, TPoint* lppoint);
BOOL OffsetViewportOrgEx(HDC hdc, int x, int y, TPoint* lppt);
BOOL OffsetWindowOrgEx(HDC hdc, int x, int y, TPoint* lppt);

constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// Clip calls return NULLREGION, SIMPLEREGION, COMPLEXREGION or RGN_ERROR. Rectangles are
// logical; regions device coordinates. SelectClipRgn copies the region (nullptr removes the clip).
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
int SelectClipRgn(HDC hdc, HRGN hrgn);
int ExtSelectClipRgn(HDC hdc, HRGN hrgn, int mode);
int OffsetClipRgn(HDC hdc, int x, int y);
// The clip bounds in logical coordinates (the drawable area when no clip is set).
int GetClipBox(HDC hdc, TRect* lprect);
// Copies the user clip into hrgn: 1 when there is one, 0 when none, -1 on error.
int GetClipRgn(HDC hdc, HRGN hrgn);
BOOL PtVisible(HDC hdc, int x, int y);
BOOL RectVisible(HDC hdc, const TRect* lprect);

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
constexpr UINT TA_NOUPDATECP = 0;
constexpr UINT TA_UPDATECP = 1;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;
UINT SetTextAlign(HDC hdc, UINT align);
UINT GetTextAlign(HDC hdc);

constexpr int R2_BLACK = 1;
constexpr int R2_NOTMERGEPEN = 2;
constexpr int R2_MASKNOTPEN = 3;
constexpr int R2_NOTCOPYPEN = 4;
constexpr int R2_MASKPENNOT = 5;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_NOTMASKPEN = 8;
constexpr int R2_MASKPEN = 9;
constexpr int R2_NOTXORPEN = 10;
constexpr int R2_NOP = 11;
constexpr int R2_MERGENOTPEN = 12;
constexpr int R2_COPYPEN = 13;
constexpr int R2_MERGEPENNOT = 14;
constexpr int R2_MERGEPEN = 15;
constexpr int R2_WHITE = 16;
// The mix mode of pens and brushes in lines and shapes (not of FillRect and blits).
int SetROP2(HDC hdc, int rop2);
int GetROP2(HDC hdc);

constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
// Every mode stretches by the same nearest-neighbour rule (see StretchBlt).
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);
BOOL SetBrushOrgEx(HDC hdc, int x, int y, TPoint* lppt);

constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
// 96 dots per inch, 32 bits a pixel, the screen's size.
int GetDeviceCaps(HDC hdc, int index);

// ---- Blits -------------------------------------------------------------------------------------
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD SRCERASE = 0x00440328;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD NOTSRCERASE = 0x001100A6;
constexpr DWORD MERGECOPY = 0x00C000CA;
constexpr DWORD MERGEPAINT = 0x00BB0226;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATPAINT = 0x00FB0A09;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// Any ternary raster operation (the third byte of rop decides), clipped to the destination's
// clip; source pixels outside the source surface read as 0.
BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);
// Nearest-neighbour stretch: destination column i (0 .. |wDest| - 1, counted from the left of
// the destination rectangle) takes source column xSrc + floor((2i + 1) * wSrc / (2 * |wDest|)),
// rows alike; a negative destination width or height mirrors. Same sizes are a plain BitBlt.
BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                int wSrc, int hSrc, DWORD rop);
// Draws DIB pixels (24 or 32 bits; a positive biHeight means bottom-up rows) with the
// StretchBlt rule; returns the number of scan lines drawn, 0 on failure.
int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                  int SrcWidth, int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi, UINT iUsage,
                  DWORD rop);
// Reads rows of a bitmap as 24- or 32-bit DIB rows (rows padded to 4 bytes, bottom-up when
// biHeight > 0). lpvBits null: only fills the header. Returns lines copied, 0 on failure.
int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, void* lpvBits, BITMAPINFO* lpbmi, UINT usage);
// Writes DIB rows into the bitmap (same layout as GetDIBits); returns lines written.
int SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, const void* lpBits, const BITMAPINFO* lpbmi,
              UINT ColorUse);
// Fills with the selected brush: PATCOPY, PATINVERT, DSTINVERT, BLACKNESS, WHITENESS.
BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);

constexpr BYTE AC_SRC_OVER = 0x00;
constexpr BYTE AC_SRC_ALPHA = 0x01;
struct BLENDFUNCTION {
  BYTE BlendOp = AC_SRC_OVER;
  BYTE BlendFlags = 0;
  BYTE SourceConstantAlpha = 255;
  BYTE AlphaFormat = 0;
};
// Source over destination, stretched by the StretchBlt rule. With AlphaFormat 0 every byte is
// mixed by the constant alpha: d = (s * ca + d * (255 - ca)) / 255. With AC_SRC_ALPHA the
// source is premultiplied: s' = s * ca / 255 (alpha included), d = s' + d * (255 - s'.alpha) / 255.
// Fails (FALSE) for a negative size or a source rectangle outside the source surface.
BOOL AlphaBlend(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, BLENDFUNCTION ftn);
// Copies the source, leaving pixels whose colour (alpha ignored) equals crTransparent undrawn.
BOOL TransparentBlt(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                    int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, UINT crTransparent);

// ---- Primitives --------------------------------------------------------------------------------
// Pixels of the colour with alpha 0; GetPixel answers 0xFFFFFFFF (CLR_INVALID) outside the clip.
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color);
[[nodiscard]] COLORREF GetPixel(HDC hdc, int x, int y);
BOOL MoveToEx(HDC hdc, int x, int y, TPoint* lppt);
// Draws from the pen position to (x, y), the end pixel left out, and moves the pen there.
BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const TPoint* apt, int cpt);
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;
int SetPolyFillMode(HDC hdc, int mode);
// Shapes fill with the brush and outline with the pen; their right and bottom edges are
// exclusive (a 1-pixel pen draws inside the rectangle).
BOOL Polygon(HDC hdc, const TPoint* apt, int cpt);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height);
// FillRect and FrameRect use the brush given, not the selected one; COLOR_* + 1 cast to a
// brush means that system colour.
int FillRect(HDC hDC, const TRect* lprc, HBRUSH hbr);
int FrameRect(HDC hDC, const TRect* lprc, HBRUSH hbr);
BOOL InvertRect(HDC hDC, const TRect* lprc);
BOOL FillRgn(HDC hdc, HRGN hrgn, HBRUSH hbr);
BOOL FrameRgn(HDC hdc, HRGN hrgn, HBRUSH hbr, int w, int h);
BOOL PaintRgn(HDC hdc, HRGN hrgn);
// A 1-pixel dotted frame drawn by inverting the pixels (drawing it twice restores them).
BOOL DrawFocusRect(HDC hDC, const TRect* lprc);

constexpr UINT BDR_RAISEDOUTER = 0x0001;
constexpr UINT BDR_SUNKENOUTER = 0x0002;
constexpr UINT BDR_RAISEDINNER = 0x0004;
constexpr UINT BDR_SUNKENINNER = 0x0008;
constexpr UINT BDR_OUTER = BDR_RAISEDOUTER | BDR_SUNKENOUTER;
constexpr UINT BDR_INNER = BDR_RAISEDINNER | BDR_SUNKENINNER;
constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr UINT EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr UINT BF_LEFT = 0x0001;
constexpr UINT BF_TOP = 0x0002;
constexpr UINT BF_RIGHT = 0x0004;
constexpr UINT BF_BOTTOM = 0x0008;
constexpr UINT BF_TOPLEFT = BF_TOP | BF_LEFT;
constexpr UINT BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT;
constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr UINT BF_MIDDLE = 0x0800;
constexpr UINT BF_SOFT = 0x1000;
constexpr UINT BF_ADJUST = 0x2000;
constexpr UINT BF_FLAT = 0x4000;
constexpr UINT BF_MONO = 0x8000;
// The 3-D edges in system colours: outer line then inner line, top/left in the light colour of
// a raised edge and bottom/right in the dark one. BF_ADJUST shrinks *qrc by the drawn border.
BOOL DrawEdge(HDC hdc, TRect* qrc, UINT edge, UINT grfFlags);

// ---- Regions -----------------------------------------------------------------------------------
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;
constexpr DWORD RDH_RECTANGLES = 1;

struct RGNDATAHEADER {
  DWORD dwSize = 32;
  DWORD iType = RDH_RECTANGLES;
  DWORD nCount = 0;
  DWORD nRgnSize = 0;
  TRect rcBound;
};
// A header followed by nCount rectangles (left, top, right, bottom as 32-bit integers).
struct RGNDATA {
  RGNDATAHEADER rdh;
  char Buffer[1];
};

[[nodiscard]] HRGN CreateRectRgn(int x1, int y1, int x2, int y2);
[[nodiscard]] HRGN CreateRectRgnIndirect(const TRect* lprect);
[[nodiscard]] HRGN CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h);
[[nodiscard]] HRGN CreateEllipticRgn(int x1, int y1, int x2, int y2);
[[nodiscard]] HRGN CreatePolygonRgn(const TPoint* pptl, int cPoint, int iMode);
// A region from the rectangles of a region data block of nCount bytes (lpXform must be null).
// nullptr when the block is smaller than its header says or the header is malformed.
[[nodiscard]] HRGN ExtCreateRegion(const void* lpXform, DWORD nCount, const RGNDATA* lpData);
// A handle to a copy of a region value, and the value behind a handle (empty for a stale one).
[[nodiscard]] HRGN CreateRegionHandle(const Region& region);
[[nodiscard]] Region GetRegion(HRGN hrgn);
// hrgnDst = hrgnSrc1 op hrgnSrc2 (hrgnSrc2 unused for RGN_COPY); the destination may be one of
// the sources. Returns the complexity of the result, RGN_ERROR on failure.
int CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode);
int OffsetRgn(HRGN hrgn, int x, int y);
BOOL SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom);
BOOL PtInRegion(HRGN hrgn, int x, int y);
BOOL RectInRegion(HRGN hrgn, const TRect* lprect);
BOOL EqualRgn(HRGN hrgn1, HRGN hrgn2);
int GetRgnBox(HRGN hrgn, TRect* lprc);
// Writes the region as a header and its rectangles when nCount bytes suffice; returns the bytes
// needed (with lpRgnData null or too small: the size only, nothing written), 0 on error.
DWORD GetRegionData(HRGN hrgn, DWORD nCount, RGNDATA* lpRgnData);

// ---- Fonts and text ----------------------------------------------------------------------------
struct TEXTMETRIC {
  LONG tmHeight = 0;
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmInternalLeading = 0;
  LONG tmExternalLeading = 0;
  LONG tmAveCharWidth = 0;
  LONG tmMaxCharWidth = 0;
  LONG tmWeight = 0;
  LONG tmOverhang = 0;
  LONG tmDigitizedAspectX = 96;
  LONG tmDigitizedAspectY = 96;
  char32_t tmFirstChar = 0x20;
  char32_t tmLastChar = 0xFFFF;
  char32_t tmDefaultChar = 0x25A1;
  char32_t tmBreakChar = 0x20;
  BYTE tmItalic = 0;
  BYTE tmUnderlined = 0;
  BYTE tmStruckOut = 0;
  BYTE tmPitchAndFamily = 0;
  BYTE tmCharSet = DEFAULT_CHARSET;
};

BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* lptm);
// The face name the selected font resolved to (the installed family).
int GetTextFace(HDC hdc, int c, std::string* lpName);
// Width and height (the font's cell height) of the first c bytes of the UTF-8 text.
BOOL GetTextExtentPoint32(HDC hdc, const char* lpString, int c, TSize* psizl);
BOOL GetTextExtentPoint32(HDC hdc, const std::string& text, TSize* psizl);
// Draws text at (x, y) under the text alignment: glyphs in the text colour, anti-aliased
// (coverage mixes text and destination colours; touched pixels get alpha 0), on an opaque
// background cell when the background mode is OPAQUE.
BOOL TextOut(HDC hdc, int x, int y, const char* lpString, int c);
BOOL TextOut(HDC hdc, int x, int y, const std::string& text);
constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;
// ETO_OPAQUE fills *lprect with the background colour first; ETO_CLIPPED clips the text to
// it. lpDx, when given, holds the advance of each character (code point).
BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const TRect* lprect, const char* lpString, UINT c,
                const int* lpDx);
// Tab stops in pixels from nTabOrigin; with no stops, every 8 average character widths. Returns
// the extent as MAKELONG(width, height).
LONG TabbedTextOut(HDC hdc, int x, int y, const char* lpString, int chCount, int nTabPositions,
                   const int* lpnTabStopPositions, int nTabOrigin);

constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_EXPANDTABS = 0x0040;
constexpr UINT DT_TABSTOP = 0x0080;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_EXTERNALLEADING = 0x0200;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;
constexpr UINT DT_INTERNAL = 0x1000;
constexpr UINT DT_EDITCONTROL = 0x2000;
constexpr UINT DT_PATH_ELLIPSIS = 0x4000;
constexpr UINT DT_END_ELLIPSIS = 0x8000;
constexpr UINT DT_MODIFYSTRING = 0x10000;
constexpr UINT DT_RTLREADING = 0x20000;
constexpr UINT DT_WORD_ELLIPSIS = 0x40000;
constexpr UINT DT_HIDEPREFIX = 0x100000;
constexpr UINT DT_PREFIXONLY = 0x200000;

// Formats UTF-8 text in *lpRect: lines break at "\n" (a "\r\n" pair counts once) unless
// DT_SINGLELINE; DT_WORDBREAK wraps at spaces and before and after any CJK
// ideograph; a word wider than the rectangle stays whole on its own line (clipped). "&x" underlines x and "&&" is
// a literal "&" unless DT_NOPREFIX. DT_END_ELLIPSIS / DT_PATH_ELLIPSIS shorten a line that does
// not fit with "..." at the end / in the middle of a path (keeping the last "/" or "\" part).
// DT_VCENTER and DT_BOTTOM apply to DT_SINGLELINE. The text is clipped to *lpRect unless
// DT_NOCLIP. DT_CALCRECT draws nothing and sets lpRect->Right and Bottom to the extent
// (a single line keeps its width unless DT_WORDBREAK). Returns the text height; c = -1 means
// the whole zero-terminated text.
int DrawText(HDC hdc, const char* lpchText, int cchText, TRect* lprc, UINT format);
int DrawText(HDC hdc, const std::string& text, TRect* lprc, UINT format);
// The wide-text forms take the same UTF-8 text.
inline int DrawTextW(HDC hdc, const std::string& text, TRect* lprc, UINT format) {
  return DrawText(hdc, text, lprc, format);
}
inline BOOL TextOutW(HDC hdc, int x, int y, const std::string& text) { return TextOut(hdc, x, y, text); }
inline BOOL GetTextExtentPoint32W(HDC hdc, const std::string& text, TSize* psizl) {
  return GetTextExtentPoint32(hdc, text, psizl);
}

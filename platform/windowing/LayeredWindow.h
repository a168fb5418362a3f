#pragma once
// Layered windows (WS_EX_LAYERED): a top-level shown with a constant alpha or a colour key over
// its painted back buffer (SetLayeredWindowAttributes), or with an image of its own with
// per-pixel straight alpha times a constant alpha (UpdateLayeredWindow). The platform composes
// them itself (ComposeScreen) for the headless screenshot; the X11 display hands them to the
// server premultiplied.

#include <memory>

#include "platform/graphics/Gdi.h"  // BLENDFUNCTION
#include "platform/core/Types.h"

class PixelSurface;

constexpr DWORD LWA_COLORKEY = 0x00000001;
constexpr DWORD LWA_ALPHA = 0x00000002;
constexpr DWORD ULW_COLORKEY = 0x00000001;
constexpr DWORD ULW_ALPHA = 0x00000002;
constexpr DWORD ULW_OPAQUE = 0x00000004;

// FALSE unless the window has WS_EX_LAYERED.
BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF crKey, BYTE bAlpha, DWORD dwFlags);
BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* pcrKey, BYTE* pbAlpha, DWORD* pdwFlags);
// Moves (pptDst) and resizes (psize) the window and shows the pixels of hdcSrc from pptSrc as
// its image: with ULW_ALPHA and AC_SRC_ALPHA each pixel's alpha times SourceConstantAlpha / 255,
// colours taken as straight (not premultiplied); without AC_SRC_ALPHA the constant alpha alone.
// FALSE unless the window has WS_EX_LAYERED or when hdcSrc is not readable.
BOOL UpdateLayeredWindow(HWND hWnd, HDC hdcDst, const TPoint* pptDst, const TSize* psize, HDC hdcSrc,
                         const TPoint* pptSrc, COLORREF crKey, const BLENDFUNCTION* pblend, DWORD dwFlags);

// The top-level's pixels as the screen shows them: premultiplied 0xAARRGGBB with its opacity in
// alpha (an unlayered window: its back buffer, opaque; outside its region: 0). nullptr when it
// has nothing to show.
[[nodiscard]] std::shared_ptr<PixelSurface> ComposeTopLevel(HWND hTop);
// The whole screen (GetSystemMetrics virtual screen size) as an opaque 32-bit picture: Background,
// then every visible top-level from the bottom of the z-order up, each blended by its opacity.
[[nodiscard]] std::shared_ptr<PixelSurface> ComposeScreen(COLORREF Background);

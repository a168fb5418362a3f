#pragma once
// The program's own skins, drawn in code: skin 1 (the forms and their controls) and skin 2 (the
// main window's tool buttons, option choosers and radio boxes), and the built-in pictures of
// the skinned controls, dialogs and the main window.
//
// The build runs the generator (skingen) over these routines and embeds what it writes as
// resources; the routines stay available so that tests can build a skin in memory.

#include <memory>
#include <string>
#include <vector>

#include "skins/vlArtCanvas.h"

class TvlSkinData;
class TvlCompressedStoredSkin;

enum class TvlSkinArtKind { Main, Tools };

// Draws the skin into Skin's content (pictures, form frame, objects, controls, colours). The
// skin data must be freshly created; nothing is sent to any form. Deterministic: the same
// pixels and description every time.
void vlDrawSkin(TvlSkinArtKind Kind, TvlSkinData* Skin);
// Draws the skin and packs it into Stored.
void vlPackSkin(TvlSkinArtKind Kind, TvlCompressedStoredSkin* Stored);

// The fixture skin for tests of skinned forms and controls: skin 1, packed and loaded into
// Target through its ordinary stored-skin load (so Target sends its skin-change messages).
// Built once per process and then reused.
void vlLoadFixtureSkin(TvlSkinData* Target, TvlSkinArtKind Kind = TvlSkinArtKind::Main);

// The built-in pictures: resources of the program, looked up by name (the names and what each
// picture is for are listed in docs/skin-library.md).
enum class TvlArtPictureKind {
  // RT_BITMAP: a 32-bit BMP with straight alpha, drawn the way button glyphs are drawn, with
  // the colour of its bottom-left pixel as the transparent one. Fully transparent pixels carry
  // the key colour kvlGlyphKey (the bottom-left pixel always among them); partly covered edge
  // pixels are blended with the light face colour beforehand, so that a drawer that only
  // knows the key colour still shows soft edges on the program's light faces.
  Glyph,
  // RT_BITMAP: an opaque 24-bit BMP.
  Picture,
  // RT_GROUP_ICON: an icon file with one 32-bit entry per size (straight alpha), for LoadImage
  // and LoadIcon, which pick the entry that fits the size asked for.
  Icon,
};

struct TvlArtPicture {
  std::string Name;
  TvlArtPictureKind Kind;
  std::vector<TvlArtCanvas> Images;  // a bitmap's one picture; an icon's sizes, smallest first
};

inline constexpr TvlArgb kvlGlyphKey = 0xFFFF00FFu;

// Every built-in picture, drawn anew (deterministic: the same pixels every time).
[[nodiscard]] std::vector<TvlArtPicture> vlDrawBuiltinPictures();
// The resource type of a kind (RT_BITMAP or RT_GROUP_ICON) and the bytes registered for a
// picture (a BMP file, or an icon file).
[[nodiscard]] const char* vlPictureResourceType(TvlArtPictureKind Kind);
[[nodiscard]] std::vector<unsigned char> vlPictureResourceBytes(const TvlArtPicture& Picture);

// Resource names of the two packed skins (RCDATA, the compressed skin container format).
inline constexpr const char* kvlMainSkinResource = "VL_SKIN_MAIN";
inline constexpr const char* kvlToolSkinResource = "VL_SKIN_TOOLS";

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

class TBitmap;
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

// One built-in picture: its resource name and a 32-bit picture with straight alpha whose fully
// transparent pixels carry the colour of its bottom-left pixel (the key colour of glyph drawing).
struct TvlArtPicture {
  std::string Name;
  std::shared_ptr<TBitmap> Bitmap;
};
[[nodiscard]] std::vector<TvlArtPicture> vlDrawBuiltinPictures();

// Resource names of the two packed skins (RCDATA, the compressed skin container format).
inline constexpr const char* kvlMainSkinResource = "VL_SKIN_MAIN";
inline constexpr const char* kvlToolSkinResource = "VL_SKIN_TOOLS";

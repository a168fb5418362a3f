#pragma once
// The glyphs of the program's buttons, drawn in code: 16-pixel glyphs of the file dialogs' tool
// buttons, the job list's buttons and the preview panel's buttons, and the 32-pixel glyphs of
// the main window's tool bar. Glyph strokes share one ink colour; colour marks only what a
// button does (start green, stop red, pause orange, navigation blue). Every glyph leaves its
// bottom-left pixel transparent.

#include "skins/vlArtCanvas.h"

namespace vlart {

enum class Glyph {
  Back,       // file dialogs: back to the previous folder
  Up,         // file dialogs: the folder above
  NewFolder,  // file dialogs: make a folder
  ViewStyle,  // file dialogs: the list's view style
  Stretch,    // picture dialogs: stretch the picture
  MoveUp,     // job list: move the row up
  MoveDown,   // job list: move the row down
  Rename,     // job list: rename the output
  Play,       // preview panel
  Pause,
  Stop,
  Sound,      // the mute button: sound is on
  Muted,      // the unmute button: sound is off
  Snapshot,
  Settings,
};
// The glyph, 16 x 16.
[[nodiscard]] TvlArtCanvas DrawGlyph(Glyph G);

enum class ToolGlyph { Add, Remove, Clear, Start, Stop, Pause, Resume, Options };
// The main window's tool-bar glyph, 32 x 32.
[[nodiscard]] TvlArtCanvas DrawToolGlyph(ToolGlyph G);

// The greyed twin of a glyph, for a disabled button: the shape in light grey.
[[nodiscard]] TvlArtCanvas GreyedGlyph(const TvlArtCanvas& Glyph);

}  // namespace vlart

#include "skins/vlArtGlyphs.h"

#include "skins/vlArtIcons.h"
#include "skins/vlSkinArtKit.h"

namespace vlart {

namespace {

constexpr double kStroke = 1.7;  // glyph strokes at 16 pixels

// An arrow along the grid's middle: shaft and open head, drawn pointing left and turned.
void DrawArrowGlyph(GridPen& P, Arrow A, TvlArgb Colour) {
  auto turned = [A](std::vector<TvlPointF> points) {
    for (TvlPointF& p : points) {
      if (A == Arrow::Right) p = {16 - p.X, p.Y};
      if (A == Arrow::Up) p = {p.Y, p.X};
      if (A == Arrow::Down) p = {p.Y, 16 - p.X};
    }
    return points;
  };
  P.Stroke(turned({{13, 8}, {3.5, 8}}), kStroke, Colour);
  P.Stroke(turned({{7.7, 3.8}, {3.5, 8}, {7.7, 12.2}}), kStroke, Colour);
}

// A filled shape with its corners softened by a stroke of its own colour.
void DrawSoftShape(GridPen& P, const std::vector<TvlPointF>& Points, TvlArgb Colour) {
  P.Flat(Points, Colour);
  std::vector<TvlPointF> ring = Points;
  ring.push_back(Points.front());
  P.Stroke(ring, 1.0, Colour);
}

void DrawViewStyle(GridPen& P) {
  const Tone box{kWhite, kBar, kInk};
  for (double y : {2.0, 9.0})
    for (double x : {2.0, 9.0}) P.Box(x, y, x + 5, y + 5, 0.5, box);
}

void DrawStretch(GridPen& P) {
  for (const auto& corner : {std::vector<TvlPointF>{{2, 5.5}, {2, 2}, {5.5, 2}},
                             std::vector<TvlPointF>{{10.5, 2}, {14, 2}, {14, 5.5}},
                             std::vector<TvlPointF>{{14, 10.5}, {14, 14}, {10.5, 14}},
                             std::vector<TvlPointF>{{5.5, 14}, {2, 14}, {2, 10.5}}})
    P.Stroke(corner, 1.3, kInk);
  P.Stroke({{5.2, 10.8}, {10.8, 5.2}}, 1.4, kAccent);
  P.Stroke({{7.6, 5.2}, {10.8, 5.2}, {10.8, 8.4}}, 1.4, kAccent);
  P.Stroke({{5.2, 7.6}, {5.2, 10.8}, {8.4, 10.8}}, 1.4, kAccent);
}

void DrawRename(GridPen& P) {
  P.HRule(8, 14.5, 13.5, kInk);
  P.Shape({{2.5, 13.5}, {3.3, 10.6}, {10.6, 3.3}, {12.7, 5.4}, {5.4, 12.7}}, Lit(kWarning));
  P.Shape({{10.6, 3.3}, {11.8, 2.1}, {13.9, 4.2}, {12.7, 5.4}}, Lit(kDanger));
  P.Flat({{2.5, 13.5}, {2.95, 11.9}, {4.1, 13.05}}, kInkLine);
}

void DrawSnapshot(GridPen& P) {
  P.Box(5, 2.5, 10, 5, 0.6, Lit(kInk));
  P.Box(1.5, 4, 14.5, 13, 1.2, Lit(kInk));
  P.Disc(8, 8.5, 3.1, Tone{kWhite, kWhite, kInkLine});
  P.Dot(8, 8.5, 1.7, kAccent);
}

// A round transport button face of the hue with a white sign.
void DrawTransport(GridPen& P, TvlArgb Hue, ToolGlyph G) {
  P.Disc(8, 8, 6.8, Lit(Hue));
  switch (G) {
    case ToolGlyph::Stop:
      P.Box(5.6, 5.6, 10.4, 10.4, 0.6, Tone{kWhite, kWhite, kWhite});
      break;
    case ToolGlyph::Pause:
      P.Box(5.6, 5, 7.3, 11, 0.4, Tone{kWhite, kWhite, kWhite});
      P.Box(8.7, 5, 10.4, 11, 0.4, Tone{kWhite, kWhite, kWhite});
      break;
    default:
      DrawSoftShape(P, {{6.6, 4.9}, {11.2, 8}, {6.6, 11.1}}, kWhite);
      break;
  }
}

}  // namespace

TvlArtCanvas DrawGlyph(Glyph G) {
  TvlArtCanvas c(16, 16);
  GridPen p(c, 1.0);
  switch (G) {
    case Glyph::Back:
      DrawArrowGlyph(p, Arrow::Left, kInk);
      break;
    case Glyph::Up:
      DrawArrowGlyph(p, Arrow::Up, kInk);
      break;
    case Glyph::NewFolder:
      DrawFolder(p, false, Tone{kFolder, kFolderLow, kFolderLine});
      DrawBadge(p, 11.5, 4.5, 3.5, kAccent, BadgeSign::Plus);
      break;
    case Glyph::ViewStyle:
      DrawViewStyle(p);
      break;
    case Glyph::Stretch:
      DrawStretch(p);
      break;
    case Glyph::MoveUp:
      DrawArrowGlyph(p, Arrow::Up, kAccent);
      break;
    case Glyph::MoveDown:
      DrawArrowGlyph(p, Arrow::Down, kAccent);
      break;
    case Glyph::Rename:
      DrawRename(p);
      break;
    case Glyph::Play:
      DrawSoftShape(p, {{4.5, 2.8}, {13, 8}, {4.5, 13.2}}, kInk);
      break;
    case Glyph::Pause:
      p.Box(4, 3, 7, 13, 0.6, Tone{kInk, kInk, kInk});
      p.Box(9, 3, 12, 13, 0.6, Tone{kInk, kInk, kInk});
      break;
    case Glyph::Stop:
      p.Box(3.5, 3.5, 12.5, 12.5, 1, Tone{kInk, kInk, kInk});
      break;
    case Glyph::Sound:
      DrawSpeaker(p, kInk, 1);
      break;
    case Glyph::Muted:
      DrawSpeaker(p, kInk, 2);
      break;
    case Glyph::Snapshot:
      DrawSnapshot(p);
      break;
    case Glyph::Settings:
      DrawGear(p, 8, 8, 6.5, Lit(kInk));
      break;
  }
  return c;
}

TvlArtCanvas DrawToolGlyph(ToolGlyph G) {
  TvlArtCanvas c(32, 32);
  GridPen p(c, 2.0);
  switch (G) {
    case ToolGlyph::Add:
      DrawVideoSheet(p, kAccent);
      DrawBadge(p, 12, 12, 3.4, kSuccess, BadgeSign::Plus);
      break;
    case ToolGlyph::Remove:
      DrawVideoSheet(p, kAccent);
      DrawBadge(p, 12, 12, 3.4, kDanger, BadgeSign::Minus);
      break;
    case ToolGlyph::Clear:
      DrawTrash(p);
      break;
    case ToolGlyph::Start:
      DrawTransport(p, kSuccess, G);
      break;
    case ToolGlyph::Stop:
      DrawTransport(p, kDanger, G);
      break;
    case ToolGlyph::Pause:
      DrawTransport(p, kOrange, G);
      break;
    case ToolGlyph::Resume:
      DrawTransport(p, kAccent, G);
      break;
    case ToolGlyph::Options:
      DrawGear(p, 8, 8, 7, Lit(kInk));
      break;
  }
  return c;
}

TvlArtCanvas GreyedGlyph(const TvlArtCanvas& Glyph) { return Glyph.Greyed(0.45); }

}  // namespace vlart

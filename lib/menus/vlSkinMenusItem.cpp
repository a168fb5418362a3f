// The rows of an open popup level: hover state, hover effects and drawing, in the skin's
// menu-item look or the built-in one; the menu glyphs and the close-message test.
//
// A skinned row (W wide, the height of the description's SkinRect):
//
//   0  ImageRct         TextRct.Left                       T.Right-16   T.Right   W
//   +--[image]----------+ caption ............ shortcut ----+ arrow ----+--------+
//
// T is TextRct with its right edge moved by the row's growth over the description's SkinRect;
// the ends ItemLO and ItemRO of the background strip keep their size.

#include <algorithm>
#include <array>
#include <cstring>

#include "lib/drawing/vlEffects.h"
#include "lib/data/vlResourceStrData.h"
#include "lib/data/vlSkinData.h"
#include "lib/menus/vlSkinMenus.h"
#include "lib/data/vlSkinMissing.h"
#include "lib/drawing/vlUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/controls/ImageList.h"
#include "platform/controls/Timers.h"

namespace {

// The built-in hover and pressed looks.
constexpr TColor kHoverFill = static_cast<TColor>(RGB(182, 189, 210));
// The submenu wait and the morph step of a row.
constexpr UINT kMorphInterval = 20;
constexpr int kMorphSteps = 5;

using vlskinctrls_detail::PrepareBitmap;

// Text drawn straight on the context leaves the background as it is. (The canvas selects its
// brush only for its own drawing, so the mode is set on the context too.)
void ClearTextBackground(TCanvas* C) {
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  SetBkMode(C->Handle(), TRANSPARENT);
}

void Fill(TCanvas* C, const TRect& R, TColor Color) {
  C->Brush()->SetStyle(TBrushStyle::bsSolid);
  C->Brush()->SetColor(Color);
  C->FillRect(R);
}

// The caption of a header row without its framing dashes.
std::string HeaderText(const std::string& Caption) {
  return Caption.size() >= 2 ? Caption.substr(1, Caption.size() - 2) : std::string();
}

// The glyphs of the items the form skinner names at run time (system and tray menus).
struct NamedGlyph {
  const char* Name;
  void (*Draw)(TCanvas*, int, int, TColor);
};
constexpr std::array<NamedGlyph, 8> kNamedGlyphs{{{"VMR_CLOSE", DrawCloseGlyph},
                                                  {"TRAY_VMR_CLOSE", DrawCloseGlyph},
                                                  {"VMR_MINITEM", DrawMinimizeGlyph},
                                                  {"VMR_MAXITEM", DrawMaximizeGlyph},
                                                  {"VMR_RESTORE", DrawRestoreGlyph},
                                                  {"TRAY_VMR_RESTORE", DrawRestoreGlyph},
                                                  {"VMR_ROLLUP", DrawRollUpGlyph},
                                                  {"VMR_MINTOTRAY", DrawTrayGlyph}}};

}  // namespace

// ---- Glyphs and the close-message test ----------------------------------------------------------

void DrawMenuCheckGlyph(TCanvas* Canvas, int X, int Y, TColor Color) {
  Canvas->Pen()->SetColor(Color);
  Canvas->Pen()->SetWidth(1);
  for (int i = 0; i < 3; ++i) Canvas->Polyline({{X, Y + 5 - i}, {X + 2, Y + 7 - i}, {X + 7, Y + 2 - i}});
}

void DrawMenuArrowGlyph(TCanvas* Canvas, int X, int Y, TColor Color) {
  Canvas->Pen()->SetColor(Color);
  Canvas->Pen()->SetWidth(1);
  for (int i = 0; i < 4; ++i) {
    Canvas->MoveTo(X + i, Y + i);
    Canvas->LineTo(X + i, Y + 7 - i);
  }
}

void DrawMenuRadioGlyph(TCanvas* Canvas, int X, int Y, TColor Color) {
  Canvas->Pen()->SetColor(Color);
  Canvas->Pen()->SetWidth(1);
  Canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
  Canvas->Brush()->SetColor(Color);
  Canvas->Ellipse(X, Y, X + 6, Y + 6);
}

bool IsMenuCloseMessage(UINT Msg) {
  switch (Msg) {
    case WM_MOVE:
    case WM_SIZE:
    case WM_ACTIVATE:
    case WM_KILLFOCUS:
    case WM_CANCELMODE:
    case WM_MOUSEACTIVATE:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_PARENTNOTIFY: return true;
    default: return false;
  }
}

// ---- A row --------------------------------------------------------------------------------------

TvlSkinMenuItem::TvlSkinMenuItem(TvlSkinPopupWindow* AParent, TMenuItem* AMenuItem, TvlDataSkinMenuItem* AData)
    : Parent(AParent), MI(AData), FMenuItem(AMenuItem) {
  // The level hands a description over only when its picture exists.
  if (MI) ActivePicture = vlSkinPicture(AParent->SD, MI->ActivePictureIndex);
  if (!ActivePicture) MI = nullptr;
}

bool TvlSkinMenuItem::IsSeparator() const {
  TMenuItem* m = MenuItem();
  return m && m->Caption() == cLineCaption;
}

bool TvlSkinMenuItem::IsHeader() const {
  TMenuItem* m = MenuItem();
  if (!m || m->Enabled()) return false;
  const std::string& c = m->Caption();
  return !c.empty() && c.front() == '-' && c.back() == '-' && c != cLineCaption;
}

bool TvlSkinMenuItem::Selectable() const {
  TMenuItem* m = MenuItem();
  return m && m->Enabled() && !IsSeparator();
}

bool TvlSkinMenuItem::EnableMorphing() const {
  TvlSkinData* sd = Parent->SD;
  return MI && MI->Morphing && sd && !sd->Empty && sd->EnableSkinEffects;
}

bool TvlSkinMenuItem::EnableAnimation() const {
  TvlSkinData* sd = Parent->SD;
  return MI && !IsNullRect(MI->AnimateSkinRect) && MI->FrameCount > 0 && sd && !sd->Empty && sd->EnableSkinEffects;
}

bool TvlSkinMenuItem::CanMorphing() {
  if (!FVisible) {
    if (FMorphStep != 0) {
      Active = Down = false;
      FMorphStep = 0;
      FMorphKf = 0;
    }
    return false;
  }
  const bool on = Active || Down;
  return (on && FMorphStep < kMorphSteps) || (!on && FMorphStep > 0);
}

void TvlSkinMenuItem::DoMorphing() {
  // Whole steps, so the climb and the fall take the same number of ticks.
  FMorphStep = std::clamp(FMorphStep + ((Active || Down) ? 1 : -1), 0, kMorphSteps);
  FMorphKf = static_cast<double>(FMorphStep) / kMorphSteps;
  Parent->DrawItemNow(this);
}

void TvlSkinMenuItem::RedrawItem() {
  if (EnableAnimation()) {
    Parent->MorphTimer->SetInterval(static_cast<UINT>(std::max(1, MI->AnimateInterval)));
    if (MI->InActiveAnimation || Active) {
      Parent->MorphTimer->SetEnabled(true);
      return;
    }
    CurrentFrame = 0;
    Parent->DrawItemNow(this);
  } else if (EnableMorphing()) {
    Parent->MorphTimer->SetInterval(kMorphInterval);
    Parent->MorphTimer->SetEnabled(true);
  } else {
    Parent->DrawItemNow(this);
  }
}

void TvlSkinMenuItem::MouseEnter(bool Kb) {
  Active = true;
  if (EnableAnimation()) CurrentFrame = 0;
  for (const auto& other : Parent->ItemList) {
    if (other.get() == this || !other->Down) continue;
    other->Down = false;
    other->RedrawItem();
  }
  TvlSkinMenu* chain = Parent->ParentMenu();
  if (TMenuItem* m = MenuItem(); m && Parent->Hint != m->Hint()) Parent->Hint = m->Hint();
  if (WaitCommand && !Kb) {
    RedrawItem();
  } else if (!Down) {
    RedrawItem();
    if (chain) chain->ActivateItem(Parent, this, Kb, false);
  } else if (chain) {
    // The row's submenu is open: a deeper chain below it folds back to that submenu.
    const int below = chain->IndexOfPopup(Parent) + 1;
    if (chain->LevelCount() - below >= 2) chain->Level(below)->CollapseLevel();
  }
}

void TvlSkinMenuItem::MouseLeave() {
  Active = false;
  if (EnableAnimation()) CurrentFrame = MI->FrameCount + 1;
  WaitCommand = false;
  if (!Down) RedrawItem();
  if (TvlSkinMenu* chain = Parent->ParentMenu(); chain && chain->WItem == this) {
    chain->WaitTimer->SetEnabled(false);
    chain->WItem = nullptr;
  }
}

void TvlSkinMenuItem::MouseDown(int, int) {
  WaitCommand = false;
  TMenuItem* m = MenuItem();
  if (Down || !m || !m->Enabled()) return;
  if (TvlSkinMenu* chain = Parent->ParentMenu()) chain->ActivateItem(Parent, this, false, true);
}

// ---- Drawing ------------------------------------------------------------------------------------

UINT TvlSkinMenuItem::BiDi(UINT Flags) const {
  TvlSkinMenu* chain = Parent->ParentMenu();
  TCustomForm* form = chain ? chain->Form() : nullptr;
  return form ? form->DrawTextBiDiModeFlags(Flags) : Flags;
}

void TvlSkinMenuItem::ApplyFont(TFont* F, bool SkinFont) const {
  if (TvlSkinMenu* chain = Parent->ParentMenu()) chain->ApplyItemFont(F, SkinFont ? MI : nullptr);
}

TSize TvlSkinMenuItem::ImageSize() const {
  TMenuItem* m = MenuItem();
  if (!m) return {0, 0};
  TCustomImageList* il = Parent->ImgL;
  if (il && m->ImageIndex() >= 0 && m->ImageIndex() < il->Count()) return {il->Width(), il->Height()};
  if (m->HasBitmap() && !m->Bitmap()->Empty()) return {m->Bitmap()->Width(), m->Bitmap()->Height()};
  return {0, 0};
}

void TvlSkinMenuItem::DrawImage(TCanvas* C, int X, int Y) {
  TMenuItem* m = MenuItem();
  TCustomImageList* il = Parent->ImgL;
  if (il && m->ImageIndex() >= 0 && m->ImageIndex() < il->Count())
    il->Draw(C, X, Y, m->ImageIndex(), m->Enabled());
  else
    C->Draw(X, Y, m->Bitmap());
}

bool TvlSkinMenuItem::DrawNamedGlyph(TCanvas* C, TPoint P, TColor Color) {
  TMenuItem* m = MenuItem();
  for (const NamedGlyph& g : kNamedGlyphs)
    if (m->Name() == g.Name) {
      g.Draw(C, P.X, P.Y, Color);
      return true;
    }
  return false;
}

TRect TvlSkinMenuItem::GetAnimationFrameRect() const {
  const TRect& a = MI->AnimateSkinRect;
  const int k = CurrentFrame, n = std::max(1, MI->FrameCount);
  if (RectHeight(MI->SkinRect) < RectHeight(a)) {
    const int h = RectHeight(a) / n;
    return TRect{a.Left, a.Top + h * (k - 1), a.Right, a.Top + h * k};
  }
  const int w = RectWidth(a) / n;
  return TRect{a.Left + w * (k - 1), a.Top, a.Left + w * k, a.Bottom};
}

void TvlSkinMenuItem::DrawSkinGlyph(TCanvas* C, const TRect& R, const TRect& Normal, const TRect& Hot, bool Sel) {
  const TRect src = Sel && !IsNullRect(Hot) ? Hot : Normal;
  if (IsNullRect(src)) return;
  TBitmap glyph;
  PrepareBitmap(&glyph, RectWidth(src), RectHeight(src));
  if (glyph.Empty()) return;
  glyph.Canvas()->CopyRect(TRect{0, 0, glyph.Width(), glyph.Height()}, ActivePicture->Canvas(), src);
  glyph.SetTransparent(true);
  const int x = std::max(R.Left, R.Left + (RectWidth(R) - glyph.Width()) / 2);
  const int y = std::max(R.Top, R.Top + (RectHeight(R) - glyph.Height()) / 2);
  C->Draw(x, y, &glyph);
}

void TvlSkinMenuItem::DrawHeaderItem(TCanvas* C, const TRect& R, const std::string& Text) {
  TvlSkinData* sd = Parent->SD;
  if (!Parent->PW || !sd) return;
  const int index = vlFindControlElement(sd, {"menuheader", "label"});
  auto* label = dynamic_cast<TvlDataSkinLabelControl*>(vlControlElement(sd, index));
  TBitmap* picture = label ? vlSkinPicture(sd, label->PictureIndex) : nullptr;
  if (!picture) return;
  TBitmap strip;
  const TRect& s = label->SkinRect;
  ComposeSkinStrip(label->LTPoint.X, RectWidth(s) - label->RTPoint.X, &strip, picture, s, RectWidth(R),
                   RectHeight(s), label->StretchEffect);
  if (strip.Empty()) return;
  TCanvas* sc = strip.Canvas();
  sc->Font()->SetName(label->FontName);
  sc->Font()->SetHeight(label->FontHeight);
  sc->Font()->SetStyle(label->FontStyle);
  sc->Font()->SetColor(label->FontColor);
  sc->Font()->SetCharset(C->Font()->Charset());
  ClearTextBackground(sc);
  TRect t{label->ClRect.Left, label->ClRect.Top, strip.Width() + label->ClRect.Right - RectWidth(s), strip.Height()};
  DrawTextWide(sc, HeaderText(Text), t, BiDi(DT_CENTER | DT_VCENTER));
  C->Draw(R.Left, R.Top + (RectHeight(R) - strip.Height()) / 2, &strip);
}

void TvlSkinMenuItem::DrawCaptionLine(TCanvas* C, const TRect& Area, int Left, int Right) {
  TMenuItem* m = MenuItem();
  // The caption from Left, centred vertically in Area; the shortcut ends at Right.
  TRect cap{Left, 0, Right, 0};
  DrawTextWide(C, m->Caption(), cap, DT_CALCRECT);
  const int h = RectHeight(cap);
  cap.Top = Area.Top + (RectHeight(Area) - h) / 2;
  cap.Bottom = cap.Top + h;
  cap.Right += 2;
  DrawTextWide(C, m->Caption(), cap, BiDi(DT_CENTER | DT_VCENTER));
  if (m->ShortCut() == scNone) return;
  const std::string text = ShortCutToText(m->ShortCut());
  TRect r{Right - CalcTextWidth(C, text), cap.Top, Right, cap.Bottom};
  DrawTextWide(C, text, r, BiDi(DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX));
}

void TvlSkinMenuItem::CreateItemImage(TBitmap* B, bool Sel, const TRect& FrameRect) {
  TMenuItem* m = MenuItem();
  const int w = RectWidth(ObjectRect);
  // 1. Source and stretch; an empty hover image falls back to the normal one.
  TRect src = Sel && !IsNullRect(MI->ActiveSkinRect) ? MI->ActiveSkinRect : MI->SkinRect;
  bool stretch = Sel ? MI->StretchEffect : MI->InActiveStretchEffect;
  if (!IsNullRect(FrameRect)) {
    src = FrameRect;
    if (!Sel && !MI->InActiveStretchEffect && MI->StretchEffect) stretch = true;
  }
  // 2. Background.
  if (!Sel && MI->InActiveTransparent && Parent->FPaintBuffer && !Parent->FPaintBuffer->Empty()) {
    PrepareBitmap(B, w, RectHeight(ObjectRect));
    if (!B->Empty())
      B->Canvas()->CopyRect(TRect{0, 0, w, B->Height()}, Parent->FPaintBuffer->Canvas(), ObjectRect);
  } else {
    ComposeSkinStrip(MI->ItemLO, MI->ItemRO, B, ActivePicture, src, w, RectHeight(src), stretch);
  }
  if (B->Empty() || !m) return;
  TCanvas* c = B->Canvas();
  // 3. Glyph column and text area.
  int g = Parent->ImgL ? Parent->GlyphWidth : 16;
  if (!IsNullRect(MI->ImageRct)) g = 0;
  TRect t = MI->TextRct;
  t.Right = w + MI->TextRct.Right - RectWidth(MI->SkinRect);
  // 4. Font.
  TvlSkinMenu* chain = Parent->ParentMenu();
  ApplyFont(c->Font(), !chain || chain->FUseSkinFont);
  TColor color = Sel ? MI->ActiveFontColor : (m->Enabled() ? MI->FontColor : MI->UnEnabledFontColor);
  c->Font()->SetColor(color);
  ClearTextBackground(c);
  // 5. The application draws the row itself.
  if (m->OnDrawItem) {
    TWeak<TvlSkinMenuItem> alive(this);
    m->OnDrawItem(this, c, t, Sel);
    return;
  }
  // 6. Headers.
  if (IsHeader()) {
    DrawHeaderItem(c, TRect{0, 0, w, B->Height()}, m->Caption());
    return;
  }
  // 7. Caption, 8. shortcut, 9. submenu arrow.
  DrawCaptionLine(c, t, t.Left + g, t.Right - 16);
  const int midY = t.Top + RectHeight(t) / 2;
  if (m->Count() > 0) {
    if (IsNullRect(MI->ArrowImageRect))
      DrawMenuArrowGlyph(c, t.Right - 7, midY - 4, color);
    else
      DrawSkinGlyph(c, TRect{t.Right - RectWidth(MI->ArrowImageRect) - 5, t.Top, t.Right, t.Bottom},
                    MI->ArrowImageRect, MI->ActiveArrowImageRect, Sel);
  }
  // 10. Glyph colour.
  if (MI->UseImageColor) color = Sel ? MI->ActiveImageColor : MI->ImageColor;
  // 11. Image, framed when ticked.
  const TSize image = ImageSize();
  const bool imageRect = !IsNullRect(MI->ImageRct);
  if (image.cx > 0 && image.cy > 0) {
    const TRect& ir = MI->ImageRct;
    const int x = imageRect ? ir.Left + (RectWidth(ir) - image.cx) / 2 : t.Left + 2;
    const int y = imageRect ? ir.Top + (RectHeight(ir) - image.cy) / 2 : t.Top + (RectHeight(t) - image.cy) / 2;
    if (m->Checked()) {
      c->Pen()->SetColor(color);
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      c->Rectangle(x - 1, y - 1, x + image.cx + 1, y + image.cy + 1);
    }
    DrawImage(c, x, y);
    return;
  }
  // 12. Glyphs.
  const TRect& ir = MI->ImageRct;
  const TPoint p = imageRect ? TPoint{ir.Left + RectWidth(ir) / 2 - 4, ir.Top + RectHeight(ir) / 2 - 4}
                             : TPoint{t.Left + 2, midY - 4};
  if (DrawNamedGlyph(c, p, color) || !m->Checked()) return;
  const TRect glyphRect = imageRect ? ir : TRect{MI->TextRct.Left + 2, MI->TextRct.Top, MI->TextRct.Left + 16,
                                                 MI->TextRct.Bottom};
  if (m->RadioItem()) {
    if (IsNullRect(MI->RadioImageRect))
      DrawMenuRadioGlyph(c, p.X, p.Y + 1, color);
    else
      DrawSkinGlyph(c, glyphRect, MI->RadioImageRect, MI->ActiveRadioImageRect, Sel);
  } else if (IsNullRect(MI->CheckImageRect)) {
    DrawMenuCheckGlyph(c, p.X, p.Y, color);
  } else {
    DrawSkinGlyph(c, glyphRect, MI->CheckImageRect, MI->ActiveCheckImageRect, Sel);
  }
}

void TvlSkinMenuItem::Draw(TCanvas* Cnvs) {
  if (!FVisible || !MenuItem()) return;
  if (!MI) {
    DefaultDraw(Cnvs);
    return;
  }
  TBitmap row;
  if (IsSeparator()) {
    ComposeSkinStrip(MI->DividerLO, MI->DividerRO, &row, ActivePicture, MI->DividerRect, RectWidth(ObjectRect),
                     RectHeight(MI->DividerRect), MI->DividerStretchEffect);
  } else {
    const bool sel = Active || Down;
    if (EnableAnimation() && CurrentFrame > 0 && CurrentFrame <= MI->FrameCount) {
      CreateItemImage(&row, sel, GetAnimationFrameRect());
    } else if (EnableMorphing() && (sel || FMorphStep != 0) && !(sel && FMorphStep == kMorphSteps)) {
      // A blend of the two looks at the morph position.
      TBitmap inactive, active;
      CreateItemImage(&inactive, false, TRect{});
      CreateItemImage(&active, true, TRect{});
      vlDrawMorph(Cnvs, ObjectRect.Left, ObjectRect.Top, &inactive, &active, FMorphKf, MI->MorphKind);
      return;
    } else {
      CreateItemImage(&row, sel, TRect{});
    }
  }
  if (!row.Empty()) Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &row);
}

void TvlSkinMenuItem::DefaultDraw(TCanvas* Cnvs) {
  TMenuItem* m = MenuItem();
  const int w = RectWidth(ObjectRect), h = RectHeight(ObjectRect);
  TBitmap b;
  PrepareBitmap(&b, w, h);
  if (b.Empty() || !m) return;
  TCanvas* c = b.Canvas();
  // 1. Glyph column and font.
  const int g = Parent->ImgL ? Parent->GlyphWidth : 19;
  ApplyFont(c->Font(), false);
  // 2. Background.
  const bool sel = (Active || Down) && !IsSeparator();
  TColor color = clWindowText;
  if (sel) {
    Fill(c, TRect{0, 0, w, h}, clNavy);
    Fill(c, TRect{1, 1, w - 1, h - 1}, kHoverFill);
  } else {
    Fill(c, TRect{0, 0, g, h}, clBtnFace);
    Fill(c, TRect{g, 0, w, h}, clWindow);
    if (!m->Enabled()) color = clBtnShadow;
  }
  c->Font()->SetColor(color);
  ClearTextBackground(c);
  const TRect q{2, 2, w - 2, h - 2};
  const int midY = q.Top + RectHeight(q) / 2;
  if (IsSeparator()) {
    // 3. Separator.
    c->Pen()->SetColor(clBtnShadow);
    c->MoveTo(g, h / 2);
    c->LineTo(w, h / 2);
  } else if (m->OnDrawItem) {
    m->OnDrawItem(this, c, q, sel);
  } else if (IsHeader()) {
    // 5. Header.
    Fill(c, TRect{0, 0, w, h}, clBtnShadow);
    c->Font()->SetColor(clBtnHighlight);
    ClearTextBackground(c);
    TRect r = q;
    DrawTextWide(c, HeaderText(m->Caption()), r, BiDi(DT_CENTER | DT_VCENTER | DT_SINGLELINE));
  } else {
    // 6. Caption, shortcut, submenu arrow.
    DrawCaptionLine(c, q, q.Left + g, q.Right - 19);
    if (m->Count() > 0) DrawMenuArrowGlyph(c, q.Right - 7, midY - 4, color);
    // 7. Image or glyph.
    const TSize image = ImageSize();
    if (image.cx > 0 && image.cy > 0) {
      const int x = q.Left + 2, y = q.Top + (RectHeight(q) - image.cy) / 2;
      if (m->Checked()) {
        c->Pen()->SetColor(color);
        c->Brush()->SetStyle(TBrushStyle::bsClear);
        c->Rectangle(x - 1, y - 1, x + image.cx + 1, y + image.cy + 1);
      }
      DrawImage(c, x, y);
    } else if (!DrawNamedGlyph(c, TPoint{q.Left + 2, midY - 4}, color) && m->Checked()) {
      if (m->RadioItem())
        DrawMenuRadioGlyph(c, q.Left + 3, midY - 4, color);
      else
        DrawMenuCheckGlyph(c, q.Left + 3, midY - 4, color);
    }
  }
  Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &b);
}

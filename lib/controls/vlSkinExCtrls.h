#pragma once
// The link label (TvlSkinLinkLabel): a windowless label that opens its address with the
// desktop's opener when clicked, shows a hand cursor, underlines its text and, under the
// pointer, changes its text colour or draws a glow around the text. Font and colours come from
// a standard-label element ("stdlabel") when the skin has one, else from the label's default
// font and active colour. GUI thread only.

#include <memory>
#include <string>

#include "lib/controls/vlSkinCtrls.h"
#include "platform/controls/StdCtrls.h"

class TvlSkinData;

class TvlSkinLinkLabel : public TCustomLabel, public TvlSkinClient {
 public:
  explicit TvlSkinLinkLabel(TComponent* AOwner);
  ~TvlSkinLinkLabel() override;

  // A glow of GlowSize pixels around the text while hovered; with it on the text sits GlowSize
  // pixels lower (hovered or not), so the glow has room above it.
  bool GlowEffect = false;
  int GlowSize = 7;
  bool UseSkinFont = true;
  // The hover colour (and glow) of the built-in look.
  TColor DefaultActiveFontColor = clBlue;
  // The address opened on a click ("mailto:" addresses included); empty: the click only fires
  // OnClick.
  std::string URL;

  [[nodiscard]] bool UseUnderLine() const { return FUseUnderLine; }
  void SetUseUnderLine(bool Value);
  // Font of the built-in look ("Arial", height 14, underlined at creation); copied.
  [[nodiscard]] TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(TFont* Value) { FDefaultFont->Assign(Value); }
  [[nodiscard]] TvlSkinData* SkinData() const override { return FSD; }
  void SetSkinData(TvlSkinData* Value);
  [[nodiscard]] const std::string& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const std::string& Value) { FSkinDataName = Value; }

  void ChangeSkinData() override;
  // OnClick, then the address goes to the desktop's opener ("open"); a failure is ignored.
  void Click() override;
  [[nodiscard]] bool MouseIn() const { return FMouseIn; }
  [[nodiscard]] int SkinIndex() const { return FIndex; }

  // Copies of the element.
  std::string FontName{"Arial"};
  TFontStyles FontStyle{};
  int FontHeight = 14;
  TColor FontColor = clBlack;
  TColor ActiveFontColor = clBlue;

 protected:
  void GetSkinData();
  void DoDrawText(TRect& Rect, UINT Flags) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;

 private:
  // The canvas font for the present look and state; answers the glow colour.
  TColor PrepareFont(TFont* F);

  bool FMouseIn = false;
  int FIndex = -1;
  TvlSkinData* FSD = nullptr;
  std::string FSkinDataName = "stdlabel";
  std::unique_ptr<TFont> FDefaultFont;
  bool FUseUnderLine = true;
};

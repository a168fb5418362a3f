#include "platform/graphics/Icon.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BmpCodec.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/PixelDrawing.h"
#include "platform/graphics/PngImage.h"
#include "platform/core/Streams.h"

namespace {

constexpr int kMaxIconSide = 256;

[[noreturn]] void Fail(const std::string& why) { throw EInvalidGraphic("Invalid icon: " + why); }

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

struct Decoded {
  int width = 0, height = 0;
  std::vector<std::uint8_t> bgra;
};

// One bitmap entry: an info header whose height counts the colour rows and the mask rows,
// the colours, then the 1-bit mask (1 = transparent), both bottom-up.
Decoded DecodeBitmapEntry(const std::uint8_t* entry, std::size_t size) {
  if (size < 40) Fail("an image entry is truncated");
  const std::uint32_t headerSize = U32(entry);
  if (headerSize < 40 || headerSize > size) Fail("an image entry has a bad header");
  const std::int32_t width = static_cast<std::int32_t>(U32(entry + 4));
  const std::int32_t doubled = static_cast<std::int32_t>(U32(entry + 8));
  const int bits = U16(entry + 14);
  const std::uint32_t colorsUsed = U32(entry + 32);
  if (width <= 0 || width > kMaxIconSide || doubled <= 0 || doubled > 2 * kMaxIconSide || doubled % 2 != 0)
    Fail("an image entry has a bad size");
  const int height = doubled / 2;
  std::size_t paletteBytes = 0;
  if (bits <= 8) paletteBytes = static_cast<std::size_t>(colorsUsed != 0 && colorsUsed < (1u << bits) ? colorsUsed : 1u << bits) * 4;
  // Give the entry a file header and its true height so the bitmap reader takes it.
  std::vector<std::uint8_t> file{'B', 'M'};
  Put32(file, static_cast<std::uint32_t>(14 + size));
  Put32(file, 0);
  Put32(file, static_cast<std::uint32_t>(14 + headerSize + paletteBytes));
  file.insert(file.end(), entry, entry + size);
  file[14 + 8] = static_cast<std::uint8_t>(height);
  file[14 + 9] = static_cast<std::uint8_t>(height >> 8);
  file[14 + 10] = file[14 + 11] = 0;
  const bmp::Image colours = bmp::Decode(file.data(), file.size(), nullptr);

  Decoded out;
  out.width = width;
  out.height = height;
  out.bgra = colours.bgra;
  const std::size_t colourStride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
  const std::size_t maskStride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
  const std::size_t maskStart = headerSize + paletteBytes + colourStride * height;
  const bool hasMask = maskStart + maskStride * height <= size;
  bool alphaUsed = false;
  if (bits == 32)
    for (std::size_t i = 3; i < out.bgra.size() && !alphaUsed; i += 4) alphaUsed = out.bgra[i] != 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* px = out.bgra.data() + (static_cast<std::size_t>(y) * width + x) * 4;
      if (alphaUsed) continue;
      const bool clear = hasMask && ((entry[maskStart + (height - 1 - y) * maskStride + x / 8] >> (7 - x % 8)) & 1);
      px[3] = clear ? 0 : 255;
      if (clear) px[0] = px[1] = px[2] = 0;
    }
  return out;
}

bool IsPng(const std::uint8_t* data, std::size_t size) {
  static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return size >= 8 && std::memcmp(data, kSignature, 8) == 0;
}

Decoded DecodePng(const std::uint8_t* data, std::size_t size) {
  pngcodec::Image png = pngcodec::Decode(data, size, nullptr);
  if (png.width > kMaxIconSide || png.height > kMaxIconSide) Fail("an image entry is larger than 256 pixels");
  Decoded out;
  out.width = png.width;
  out.height = png.height;
  out.bgra = std::move(png.bgra);
  return out;
}

// Which directory entry to decode: the largest for no wanted size (the first of equal ones);
// otherwise the exact size, else the smallest larger one, else the largest; among entries of
// one size the deepest colours.
int ChooseEntry(const std::uint8_t* data, int count, int wantW, int wantH) {
  struct Entry {
    int w, h, bits;
  };
  std::vector<Entry> entries;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* e = data + 6 + i * 16;
    entries.push_back({e[0] == 0 ? 256 : e[0], e[1] == 0 ? 256 : e[1], U16(e + 6)});
  }
  auto area = [&](int i) { return entries[i].w * entries[i].h; };
  int largest = 0;
  for (int i = 1; i < count; ++i)
    if (area(i) > area(largest)) largest = i;
  if (wantW <= 0 || wantH <= 0) return largest;
  int best = -1;
  auto better = [&](int i, int j) {  // is i a better pick than j among fitting entries
    if (j < 0) return true;
    if (area(i) != area(j)) return area(i) < area(j);
    return entries[i].bits > entries[j].bits;
  };
  for (int i = 0; i < count; ++i)
    if (entries[i].w == wantW && entries[i].h == wantH && (best < 0 || entries[i].bits > entries[best].bits)) best = i;
  if (best >= 0) return best;
  for (int i = 0; i < count; ++i)
    if (entries[i].w >= wantW && entries[i].h >= wantH && better(i, best)) best = i;
  return best >= 0 ? best : largest;
}

Decoded DecodeIcon(const std::uint8_t* data, std::size_t size, std::size_t* consumed, int wantW = 0, int wantH = 0) {
  if (IsPng(data, size)) {
    Decoded png = DecodePng(data, size);
    if (consumed != nullptr) *consumed = size;
    return png;
  }
  if (size < 6) Fail("the header is truncated");
  if (U16(data) != 0 || (U16(data + 2) != 1 && U16(data + 2) != 2)) Fail("the data is not an icon file");
  const int count = U16(data + 4);
  if (count == 0) Fail("the file holds no image");
  if (6 + static_cast<std::size_t>(count) * 16 > size) Fail("the image directory is truncated");
  std::size_t end = 6 + static_cast<std::size_t>(count) * 16;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* e = data + 6 + i * 16;
    const std::uint32_t bytes = U32(e + 8), offset = U32(e + 12);
    if (offset > size || bytes > size - offset) Fail("an image entry lies outside the file");
    end = std::max<std::size_t>(end, offset + bytes);
  }
  const int best = ChooseEntry(data, count, wantW, wantH);
  const std::uint8_t* e = data + 6 + best * 16;
  const std::uint8_t* entry = data + U32(e + 12);
  const std::size_t bytes = U32(e + 8);
  Decoded out = IsPng(entry, bytes) ? DecodePng(entry, bytes) : DecodeBitmapEntry(entry, bytes);
  if (consumed != nullptr) *consumed = end;
  return out;
}

std::vector<std::uint8_t> EncodeIcon(int width, int height, const std::vector<std::uint8_t>& bgra) {
  const std::size_t maskStride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
  const std::size_t imageBytes = 40 + static_cast<std::size_t>(width) * height * 4 + maskStride * height;
  std::vector<std::uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  out.push_back(static_cast<std::uint8_t>(width == 256 ? 0 : width));
  out.push_back(static_cast<std::uint8_t>(height == 256 ? 0 : height));
  out.push_back(0);
  out.push_back(0);
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, static_cast<std::uint32_t>(imageBytes));
  Put32(out, 22);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height * 2));
  Put16(out, 1);
  Put16(out, 32);
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  for (int y = height - 1; y >= 0; --y) {
    const std::uint8_t* row = bgra.data() + static_cast<std::size_t>(y) * width * 4;
    out.insert(out.end(), row, row + static_cast<std::size_t>(width) * 4);
  }
  for (int y = height - 1; y >= 0; --y) {
    std::vector<std::uint8_t> mask(maskStride, 0);
    for (int x = 0; x < width; ++x)
      if (bgra[(static_cast<std::size_t>(y) * width + x) * 4 + 3] == 0) mask[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    out.insert(out.end(), mask.begin(), mask.end());
  }
  return out;
}

}  // namespace

detail::IconImage detail::DecodeIconData(const std::uint8_t* Data, std::size_t Size, int Width, int Height,
                                         std::size_t* Consumed) {
  if (Data == nullptr) Size = 0;
  Decoded d = DecodeIcon(Data, Size, Consumed, Width, Height);
  IconImage out{d.width, d.height, std::move(d.bgra)};
  if (Width > 0 && Height > 0 && (out.Width != Width || out.Height != Height)) {
    out.Bgra = ScaleBgra(out.Bgra.data(), out.Width, out.Height, Width, Height);
    out.Width = Width;
    out.Height = Height;
  }
  return out;
}

TIcon::TIcon() = default;
TIcon::~TIcon() { FreeHandle(); }

void TIcon::FreeHandle() {
  if (handle_ != nullptr) DestroyIcon(handle_);
  handle_ = nullptr;
}

HICON TIcon::Handle() {
  if (handle_ == nullptr && !Empty()) handle_ = detail::CreateIconHandle({width_, height_, bgra_}, source_);
  return handle_;
}

void TIcon::SetHandle(HICON Value) {
  if (Value == handle_) return;
  int w = 0, h = 0;
  std::vector<std::uint8_t> px;
  if (!GetIconPixels(Value, w, h, px)) {
    SetPixels(0, 0, {});
    return;
  }
  SetPixels(w, h, std::move(px));  // frees the handle held so far
  handle_ = Value;
}

HICON TIcon::ReleaseHandle() {
  HICON h = Handle();
  handle_ = nullptr;
  return h;
}

void TIcon::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }
void TIcon::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

void TIcon::SetPixels(int AWidth, int AHeight, std::vector<std::uint8_t> Bgra) {
  if (AWidth < 0 || AHeight < 0 || AWidth > kMaxIconSide || AHeight > kMaxIconSide ||
      Bgra.size() != static_cast<std::size_t>(AWidth) * AHeight * 4)
    throw EInvalidGraphic("Invalid icon: " + std::to_string(AWidth) + " x " + std::to_string(AHeight) +
                          " pixels cannot make an icon");
  FreeHandle();
  source_.clear();
  width_ = AWidth;
  height_ = AHeight;
  bgra_ = std::move(Bgra);
  Changed(this);
}

void TIcon::LoadFromStream(TStream* Stream) {
  const std::int64_t start = Stream->Position();
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<std::int64_t>(Stream->Size() - start, 0)));
  if (!bytes.empty()) Stream->ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  std::size_t consumed = 0;
  Decoded fresh;
  try {
    fresh = DecodeIcon(bytes.data(), bytes.size(), &consumed);
  } catch (...) {
    Stream->SetPosition(start);
    throw;
  }
  Stream->SetPosition(start + static_cast<std::int64_t>(consumed));
  bytes.resize(consumed);
  SetPixels(fresh.width, fresh.height, std::move(fresh.bgra));
  source_ = std::move(bytes);
}

void TIcon::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  const std::vector<std::uint8_t> bytes = EncodeIcon(width_, height_, bgra_);
  Stream->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TIcon::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (auto* icon = dynamic_cast<TIcon*>(Source)) {
    SetPixels(icon->width_, icon->height_, icon->bgra_);
    source_ = icon->source_;
    return;
  }
  auto* bitmap = dynamic_cast<TBitmap*>(Source);
  if (bitmap == nullptr) {
    TGraphic::Assign(Source);
    return;
  }
  if (bitmap->Empty()) {
    SetPixels(0, 0, {});
    return;
  }
  const PixelSurface& surface = *bitmap->Surface();
  const int w = surface.Width(), h = surface.Height();
  if (w > kMaxIconSide || h > kMaxIconSide) throw EInvalidGraphic("Invalid icon: a bitmap larger than 256 pixels");
  std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * 4);
  bool alphaUsed = false;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t argb = surface.PixelAt(x, y);
      std::memcpy(px.data() + (static_cast<std::size_t>(y) * w + x) * 4, &argb, 4);
      alphaUsed = alphaUsed || (argb >> 24) != 0;
    }
  if (!alphaUsed || surface.BitsPerPixel() != 32) {
    const COLORREF c = ColorToRGB(bitmap->TransparentColor());
    const std::uint32_t key = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    for (std::size_t i = 0; i < px.size(); i += 4) {
      const std::uint32_t rgb = px[i] | (px[i + 1] << 8) | (px[i + 2] << 16);
      px[i + 3] = bitmap->Transparent() && rgb == key ? 0 : 255;
    }
  }
  SetPixels(w, h, std::move(px));
}

void TIcon::AssignTo(TPersistent* Dest) {
  auto* bitmap = dynamic_cast<TBitmap*>(Dest);
  if (bitmap == nullptr) {
    TGraphic::AssignTo(Dest);
    return;
  }
  CopyBgraToBitmap(bitmap, bgra_.data(), width_, height_);
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (ACanvas == nullptr || Empty()) return;
  DrawBgraPixels(ACanvas->Handle(), Rect, bgra_.data(), width_, height_, width_ * 4, TPixelBlend::Alpha);
}

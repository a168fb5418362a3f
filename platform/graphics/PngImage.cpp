#include "platform/graphics/PngImage.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/PixelDrawing.h"
#include "platform/core/Streams.h"

namespace pngcodec {
namespace {

// State shared with the decoder's callbacks: plain data only, because the error callback jumps
// out of them.
struct IoState {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t pos = 0;
  std::vector<std::uint8_t>* out = nullptr;
  char message[200] = {};
};

void OnError(png_structp png, png_const_charp message) {
  auto* state = static_cast<IoState*>(png_get_error_ptr(png));
  std::snprintf(state->message, sizeof state->message, "%s", message ? message : "unknown error");
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep dest, png_size_t length) {
  auto* state = static_cast<IoState*>(png_get_io_ptr(png));
  if (length > state->size - state->pos) png_error(png, "the data is truncated");
  std::memcpy(dest, state->data + state->pos, length);
  state->pos += length;
}

void OnWrite(png_structp png, png_bytep src, png_size_t length) {
  auto* state = static_cast<IoState*>(png_get_io_ptr(png));
  bool ok = true;
  try {
    state->out->insert(state->out->end(), src, src + length);
  } catch (...) {
    ok = false;
  }
  if (!ok) png_error(png, "out of memory");
}

void OnFlush(png_structp) {}

// What the header phase learns about the file.
struct Info {
  png_uint_32 width = 0, height = 0;
  int colorType = 0, bitDepth = 0, interlace = 0;
  bool hasTrns = false;
  int trnsCount = 0;
  png_byte trnsAlpha[256] = {};
  png_color_16 trnsColor = {};
  int paletteCount = 0;
  png_color palette[256] = {};
  std::size_t rowBytes = 0;
};

// The C-only frames: each one is the target of the error callback's jump and holds no C++
// object, so the jump skips no destructor. They answer false after an error.
bool ReadHeader(png_structp png, png_infop info, Info* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  png_get_IHDR(png, info, &out->width, &out->height, &out->bitDepth, &out->colorType, &out->interlace, nullptr,
               nullptr);
  png_bytep alpha = nullptr;
  png_color_16p color = nullptr;
  if (png_get_valid(png, info, PNG_INFO_tRNS) && png_get_tRNS(png, info, &alpha, &out->trnsCount, &color)) {
    out->hasTrns = true;
    if (alpha != nullptr && out->trnsCount > 0) std::memcpy(out->trnsAlpha, alpha, std::min(out->trnsCount, 256));
    if (color != nullptr) out->trnsColor = *color;
  }
  png_colorp palette = nullptr;
  if (png_get_valid(png, info, PNG_INFO_PLTE) && png_get_PLTE(png, info, &palette, &out->paletteCount)) {
    out->paletteCount = std::min(out->paletteCount, 256);
    std::memcpy(out->palette, palette, sizeof(png_color) * out->paletteCount);
  }
  // Whatever the file holds becomes 8-bit B, G, R, A.
  png_set_scale_16(png);
  png_set_expand(png);  // palette to RGB, small grey to 8 bits, tRNS to alpha
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  out->rowBytes = png_get_rowbytes(png, info);
  return true;
}

bool ReadPixels(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

struct PngLayout {
  int width = 0, height = 0, colorType = 0;
  int paletteCount = 0;
  png_color palette[256] = {};
  int trnsCount = 0;
  png_byte trnsAlpha[256] = {};
  bool hasTrnsColor = false;
  png_color_16 trnsColor = {};
};

bool WritePng(png_structp png, png_infop info, const PngLayout* layout, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, layout->width, layout->height, 8, layout->colorType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (layout->colorType == PNG_COLOR_TYPE_PALETTE) {
    png_set_PLTE(png, info, layout->palette, layout->paletteCount);
    if (layout->trnsCount > 0) png_set_tRNS(png, info, layout->trnsAlpha, layout->trnsCount, nullptr);
  } else if (layout->hasTrnsColor) {
    png_set_tRNS(png, info, nullptr, 0, &layout->trnsColor);
  }
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

struct ReadGuard {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~ReadGuard() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

struct WriteGuard {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~WriteGuard() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

[[noreturn]] void Fail(const std::string& why) { throw EInvalidGraphic("Invalid PNG picture: " + why); }

std::uint8_t Scale(unsigned value, int bitDepth) {
  if (bitDepth == 16) return static_cast<std::uint8_t>(value >> 8);
  if (bitDepth >= 8) return static_cast<std::uint8_t>(value);
  const unsigned max = (1u << bitDepth) - 1;
  return static_cast<std::uint8_t>(std::min(value, max) * 255 / max);
}

void DescribeTransparency(const Info& info, Image& img) {
  if (info.colorType & PNG_COLOR_MASK_ALPHA) {
    img.transparency = Transparency::Partial;
    return;
  }
  if (!info.hasTrns) return;
  if (info.colorType == PNG_COLOR_TYPE_PALETTE) {
    int zeros = 0, zeroIndex = -1;
    bool partial = false;
    for (int i = 0; i < info.trnsCount && i < info.paletteCount; ++i) {
      if (info.trnsAlpha[i] == 0) {
        ++zeros;
        zeroIndex = i;
      } else if (info.trnsAlpha[i] != 255) {
        partial = true;
      }
    }
    if (partial || zeros > 1) {
      img.transparency = Transparency::Partial;
    } else if (zeros == 1) {
      img.transparency = Transparency::Bit;
      const png_color& c = info.palette[zeroIndex];
      img.transparentColor = c.red | (c.green << 8) | (c.blue << 16);
    }
    return;
  }
  img.transparency = Transparency::Bit;
  if (info.colorType == PNG_COLOR_TYPE_GRAY) {
    const std::uint32_t g = Scale(info.trnsColor.gray, info.bitDepth);
    img.transparentColor = g | (g << 8) | (g << 16);
  } else {
    img.transparentColor = Scale(info.trnsColor.red, info.bitDepth) | (Scale(info.trnsColor.green, info.bitDepth) << 8) |
                           (Scale(info.trnsColor.blue, info.bitDepth) << 16);
  }
}

}  // namespace

Image Decode(const std::uint8_t* data, std::size_t size, std::size_t* consumed) {
  if (data == nullptr || size < 8 || png_sig_cmp(data, 0, 8) != 0) Fail("the data does not start with the PNG signature");
  IoState state;
  state.data = data;
  state.size = size;
  ReadGuard guard;
  guard.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
  if (guard.png == nullptr) Fail("the decoder cannot start");
  guard.info = png_create_info_struct(guard.png);
  if (guard.info == nullptr) Fail("the decoder cannot start");
  png_set_read_fn(guard.png, &state, OnRead);
  png_set_user_limits(guard.png, kMaxSide, kMaxSide);
  png_set_chunk_cache_max(guard.png, 1000);
  png_set_chunk_malloc_max(guard.png, 16u << 20);

  auto info = std::make_unique<Info>();
  if (!ReadHeader(guard.png, guard.info, info.get())) Fail(state.message);
  if (static_cast<std::uint64_t>(info->width) * info->height > kMaxPixels)
    Fail(std::to_string(info->width) + " x " + std::to_string(info->height) + " exceeds the largest picture");
  if (info->rowBytes != static_cast<std::size_t>(info->width) * 4) Fail("unexpected row layout");

  Image img;
  img.width = static_cast<int>(info->width);
  img.height = static_cast<int>(info->height);
  img.colorType = info->colorType;
  img.bitDepth = info->bitDepth;
  DescribeTransparency(*info, img);
  img.bgra.assign(static_cast<std::size_t>(img.width) * img.height * 4, 0);
  std::vector<png_bytep> rows(img.height);
  for (int y = 0; y < img.height; ++y) rows[y] = img.bgra.data() + static_cast<std::size_t>(y) * img.width * 4;
  if (!ReadPixels(guard.png, rows.data())) Fail(state.message);
  if (consumed != nullptr) *consumed = state.pos;
  return img;
}

std::vector<std::uint8_t> Encode(const Image& image) {
  if (image.width <= 0 || image.height <= 0 || image.width > kMaxSide || image.height > kMaxSide ||
      image.bgra.size() != static_cast<std::size_t>(image.width) * image.height * 4)
    throw EInvalidGraphic("Cannot write a PNG picture of " + std::to_string(image.width) + " x " +
                          std::to_string(image.height) + " pixels from " + std::to_string(image.bgra.size()) + " bytes");
  auto layout = std::make_unique<PngLayout>();
  layout->width = image.width;
  layout->height = image.height;
  layout->colorType = image.colorType;
  const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
  const std::uint8_t* src = image.bgra.data();

  std::vector<std::uint8_t> samples;
  int channels = 0;
  if (layout->colorType == kPalette) {
    // The palette of the picture's colours, in order of first appearance.
    std::map<std::uint32_t, int> indexOf;
    samples.resize(pixels);
    for (std::size_t i = 0; i < pixels && layout->colorType == kPalette; ++i) {
      const std::uint8_t* p = src + i * 4;
      const std::uint32_t key = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
      auto [it, added] = indexOf.emplace(key, layout->paletteCount);
      if (added) {
        if (layout->paletteCount == 256) {
          layout->colorType = kRgbAlpha;
          break;
        }
        layout->palette[layout->paletteCount] = {p[2], p[1], p[0]};
        layout->trnsAlpha[layout->paletteCount] = p[3];
        if (p[3] != 255) layout->trnsCount = layout->paletteCount + 1;
        ++layout->paletteCount;
      }
      samples[i] = static_cast<std::uint8_t>(it->second);
    }
    channels = 1;
  }
  if (layout->colorType != kPalette) {
    if (layout->colorType != kGray && layout->colorType != kGrayAlpha && layout->colorType != kRgb) layout->colorType = kRgbAlpha;
    const bool gray = layout->colorType == kGray || layout->colorType == kGrayAlpha;
    const bool alpha = layout->colorType == kGrayAlpha || layout->colorType == kRgbAlpha;
    channels = (gray ? 1 : 3) + (alpha ? 1 : 0);
    samples.resize(pixels * channels);
    std::uint8_t* d = samples.data();
    for (std::size_t i = 0; i < pixels; ++i) {
      const std::uint8_t* p = src + i * 4;
      if (gray) {
        *d++ = p[2];
      } else {
        *d++ = p[2];
        *d++ = p[1];
        *d++ = p[0];
      }
      if (alpha) *d++ = p[3];
    }
    if (!alpha && image.transparency == Transparency::Bit) {
      layout->hasTrnsColor = true;
      const std::uint32_t c = image.transparentColor;
      layout->trnsColor.red = c & 0xFF;
      layout->trnsColor.green = (c >> 8) & 0xFF;
      layout->trnsColor.blue = (c >> 16) & 0xFF;
      layout->trnsColor.gray = c & 0xFF;
    }
  }
  std::vector<png_bytep> rows(image.height);
  for (int y = 0; y < image.height; ++y) rows[y] = samples.data() + static_cast<std::size_t>(y) * image.width * channels;

  std::vector<std::uint8_t> out;
  IoState state;
  state.out = &out;
  WriteGuard guard;
  guard.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
  if (guard.png == nullptr) throw EInvalidGraphic("Cannot write a PNG picture: the encoder cannot start");
  guard.info = png_create_info_struct(guard.png);
  if (guard.info == nullptr) throw EInvalidGraphic("Cannot write a PNG picture: the encoder cannot start");
  png_set_write_fn(guard.png, &state, OnWrite, OnFlush);
  if (!WritePng(guard.png, guard.info, layout.get(), rows.data()))
    throw EInvalidGraphic(std::string("Cannot write a PNG picture: ") + state.message);
  return out;
}

}  // namespace pngcodec

// ---------------------------------------------------------------------------------------------

TPngImage::TPngImage() = default;
TPngImage::~TPngImage() = default;

void TPngImage::Resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == image_.width && height == image_.height) return;
  if (width > pngcodec::kMaxSide || height > pngcodec::kMaxSide ||
      static_cast<std::uint64_t>(width) * height > pngcodec::kMaxPixels)
    throw EInvalidGraphic("Invalid PNG picture: " + std::to_string(width) + " x " + std::to_string(height) +
                          " exceeds the largest picture");
  const bool opaque = !(image_.colorType & PNG_COLOR_MASK_ALPHA);
  std::vector<std::uint8_t> fresh(static_cast<std::size_t>(width) * height * 4, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* d = fresh.data() + (static_cast<std::size_t>(y) * width + x) * 4;
      if (x < image_.width && y < image_.height)
        std::memcpy(d, image_.bgra.data() + (static_cast<std::size_t>(y) * image_.width + x) * 4, 4);
      else if (opaque)
        d[3] = 255;
    }
  image_.bgra = std::move(fresh);
  image_.width = width;
  image_.height = height;
  Changed(this);
}

void TPngImage::SetWidth(int Value) { Resize(Value, image_.height); }
void TPngImage::SetHeight(int Value) { Resize(image_.width, Value); }

void TPngImage::LoadFromStream(TStream* Stream) {
  const std::int64_t start = Stream->Position();
  const std::int64_t available = Stream->Size() - start;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<std::int64_t>(available, 0)));
  if (!bytes.empty()) Stream->ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  std::size_t consumed = 0;
  pngcodec::Image fresh;
  try {
    fresh = pngcodec::Decode(bytes.data(), bytes.size(), &consumed);
  } catch (...) {
    Stream->SetPosition(start);
    throw;
  }
  Stream->SetPosition(start + static_cast<std::int64_t>(consumed));
  image_ = std::move(fresh);
  Changed(this);
}

void TPngImage::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  const std::vector<std::uint8_t> bytes = pngcodec::Encode(image_);
  Stream->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

void TPngImage::CreateBlank(int ColorType, int BitDepth, int AWidth, int AHeight) {
  switch (ColorType) {
    case pngcodec::kGray: case pngcodec::kRgb: case pngcodec::kPalette: case pngcodec::kGrayAlpha:
    case pngcodec::kRgbAlpha: break;
    default: throw EInvalidGraphic("Invalid PNG picture: unknown colour type " + std::to_string(ColorType));
  }
  if (AWidth <= 0 || AHeight <= 0 || AWidth > pngcodec::kMaxSide || AHeight > pngcodec::kMaxSide ||
      static_cast<std::uint64_t>(AWidth) * AHeight > pngcodec::kMaxPixels)
    throw EInvalidGraphic("Invalid PNG picture: cannot make a picture of " + std::to_string(AWidth) + " x " +
                          std::to_string(AHeight) + " pixels");
  pngcodec::Image fresh;
  fresh.width = AWidth;
  fresh.height = AHeight;
  fresh.colorType = ColorType;
  fresh.bitDepth = BitDepth;
  fresh.transparency = (ColorType & PNG_COLOR_MASK_ALPHA) ? pngcodec::Transparency::Partial : pngcodec::Transparency::None;
  fresh.bgra.assign(static_cast<std::size_t>(AWidth) * AHeight * 4, 0);
  if (!(ColorType & PNG_COLOR_MASK_ALPHA))
    for (std::size_t i = 3; i < fresh.bgra.size(); i += 4) fresh.bgra[i] = 255;
  image_ = std::move(fresh);
  Changed(this);
}

void TPngImage::CreateAlpha() {
  if (image_.colorType & PNG_COLOR_MASK_ALPHA) return;
  image_.colorType = image_.colorType == pngcodec::kGray ? pngcodec::kGrayAlpha : pngcodec::kRgbAlpha;
  if (image_.bitDepth < 8) image_.bitDepth = 8;
  image_.transparency = pngcodec::Transparency::Partial;
  Changed(this);
}

TPNGTransparencyMode TPngImage::TransparencyMode() const {
  switch (image_.transparency) {
    case pngcodec::Transparency::Bit: return TPNGTransparencyMode::ptmBit;
    case pngcodec::Transparency::Partial: return TPNGTransparencyMode::ptmPartial;
    default: return TPNGTransparencyMode::ptmNone;
  }
}

std::uint8_t* TPngImage::Scanline(int Row) {
  if (Row < 0 || Row >= image_.height) throw EInvalidGraphicOperation("Scan line index out of range");
  return image_.bgra.data() + static_cast<std::size_t>(Row) * image_.width * 4;
}

TColor TPngImage::Pixels(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= image_.width || Y >= image_.height) return 0;
  const std::uint8_t* p = image_.bgra.data() + (static_cast<std::size_t>(Y) * image_.width + X) * 4;
  return static_cast<TColor>(p[2] | (p[1] << 8) | (p[0] << 16));
}

void TPngImage::SetPixels(int X, int Y, TColor Value) {
  if (X < 0 || Y < 0 || X >= image_.width || Y >= image_.height) return;
  std::uint8_t* p = image_.bgra.data() + (static_cast<std::size_t>(Y) * image_.width + X) * 4;
  p[0] = static_cast<std::uint8_t>(Value >> 16);
  p[1] = static_cast<std::uint8_t>(Value >> 8);
  p[2] = static_cast<std::uint8_t>(Value);
  Changed(this);
}

void TPngImage::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (auto* png = dynamic_cast<TPngImage*>(Source)) {
    image_ = png->image_;
    Changed(this);
    return;
  }
  auto* bitmap = dynamic_cast<TBitmap*>(Source);
  if (bitmap == nullptr) {
    TGraphic::Assign(Source);
    return;
  }
  pngcodec::Image fresh;
  fresh.colorType = pngcodec::kRgb;
  if (!bitmap->Empty()) {
    const PixelSurface& surface = *bitmap->Surface();
    fresh.width = surface.Width();
    fresh.height = surface.Height();
    fresh.bgra.resize(static_cast<std::size_t>(fresh.width) * fresh.height * 4);
    bool anyAlpha = false;
    for (int y = 0; y < fresh.height; ++y)
      for (int x = 0; x < fresh.width; ++x) {
        const std::uint32_t argb = surface.PixelAt(x, y);
        std::uint8_t* d = fresh.bgra.data() + (static_cast<std::size_t>(y) * fresh.width + x) * 4;
        d[0] = argb & 0xFF;
        d[1] = (argb >> 8) & 0xFF;
        d[2] = (argb >> 16) & 0xFF;
        d[3] = argb >> 24;
        anyAlpha = anyAlpha || d[3] != 0;
      }
    anyAlpha = anyAlpha && surface.BitsPerPixel() == 32;
    if (anyAlpha) {
      fresh.colorType = pngcodec::kRgbAlpha;
      fresh.transparency = pngcodec::Transparency::Partial;
    } else {
      for (std::size_t i = 3; i < fresh.bgra.size(); i += 4) fresh.bgra[i] = 255;
      if (bitmap->Transparent()) {
        const COLORREF c = ColorToRGB(bitmap->TransparentColor());
        const std::uint32_t key = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        fresh.transparency = pngcodec::Transparency::Bit;
        fresh.transparentColor = c;
        for (std::size_t i = 0; i < fresh.bgra.size(); i += 4) {
          const std::uint32_t c = fresh.bgra[i] | (fresh.bgra[i + 1] << 8) | (fresh.bgra[i + 2] << 16);
          if (c == key) fresh.bgra[i + 3] = 0;
        }
      }
    }
  }
  image_ = std::move(fresh);
  Changed(this);
}

void TPngImage::AssignTo(TPersistent* Dest) {
  auto* bitmap = dynamic_cast<TBitmap*>(Dest);
  if (bitmap == nullptr) {
    TGraphic::AssignTo(Dest);
    return;
  }
  CopyBgraToBitmap(bitmap, image_.bgra.data(), image_.width, image_.height);
}

void TPngImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (ACanvas == nullptr || Empty()) return;
  // An opaque picture is copied like any opaque bitmap; one with transparency is blended.
  const TPixelBlend blend =
      image_.transparency == pngcodec::Transparency::None ? TPixelBlend::Opaque : TPixelBlend::Alpha;
  DrawBgraPixels(ACanvas->Handle(), Rect, image_.bgra.data(), image_.width, image_.height, image_.width * 4, blend);
}

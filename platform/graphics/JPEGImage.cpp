#include "platform/graphics/JPEGImage.h"

// jpeglib.h needs size_t and FILE declared first.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/PixelDrawing.h"
#include "platform/core/Streams.h"

namespace jpegcodec {
namespace {

// The library's error manager extended with the jump target and the reason; plain data only.
struct ErrorState {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnErrorExit(j_common_ptr info) {
  auto* state = reinterpret_cast<ErrorState*>(info->err);
  (*info->err->format_message)(info, state->message);
  std::longjmp(state->jump, 1);
}

void OnOutputMessage(j_common_ptr) {}

void InitErrors(ErrorState* state) {
  jpeg_std_error(&state->pub);
  state->pub.error_exit = OnErrorExit;
  state->pub.output_message = OnOutputMessage;
  state->message[0] = '\0';
}

struct Decompressor {
  jpeg_decompress_struct info;
  ErrorState errors;
  bool created = false;
};

struct Compressor {
  jpeg_compress_struct info;
  ErrorState errors;
  bool created = false;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
};

// The C-only frames: each is the target of the error jump and holds no C++ object.
bool ReadHeader(Decompressor* d, const std::uint8_t* data, std::size_t size) {
  if (setjmp(d->errors.jump)) return false;
  d->info.err = &d->errors.pub;
  jpeg_create_decompress(&d->info);
  d->created = true;
  jpeg_mem_src(&d->info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
  jpeg_read_header(&d->info, TRUE);
  return true;
}

bool StartDecompress(Decompressor* d) {
  if (setjmp(d->errors.jump)) return false;
  // Four-component pictures come out as C, M, Y, K and are turned into colours here.
  const bool fourComponents = d->info.jpeg_color_space == JCS_CMYK || d->info.jpeg_color_space == JCS_YCCK;
  d->info.out_color_space = fourComponents ? JCS_CMYK : JCS_EXT_BGRA;
  jpeg_start_decompress(&d->info);
  return true;
}

bool ReadRows(Decompressor* d, std::uint8_t* pixels, std::size_t stride) {
  if (setjmp(d->errors.jump)) return false;
  while (d->info.output_scanline < d->info.output_height) {
    JSAMPROW row = pixels + stride * d->info.output_scanline;
    jpeg_read_scanlines(&d->info, &row, 1);
  }
  jpeg_finish_decompress(&d->info);
  return true;
}

bool Compress(Compressor* c, const std::uint8_t* samples, int width, int height, int components, int quality) {
  if (setjmp(c->errors.jump)) return false;
  c->info.err = &c->errors.pub;
  jpeg_create_compress(&c->info);
  c->created = true;
  jpeg_mem_dest(&c->info, &c->buffer, &c->size);
  c->info.image_width = static_cast<JDIMENSION>(width);
  c->info.image_height = static_cast<JDIMENSION>(height);
  c->info.input_components = components;
  c->info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_EXT_BGRX;
  jpeg_set_defaults(&c->info);
  jpeg_set_quality(&c->info, quality, TRUE);
  jpeg_start_compress(&c->info, TRUE);
  const std::size_t stride = static_cast<std::size_t>(width) * components;
  while (c->info.next_scanline < c->info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(samples + stride * c->info.next_scanline);
    jpeg_write_scanlines(&c->info, &row, 1);
  }
  jpeg_finish_compress(&c->info);
  return true;
}

[[noreturn]] void Fail(const std::string& why) { throw EInvalidGraphic("Invalid JPEG picture: " + why); }

struct DecompressorGuard {
  std::unique_ptr<Decompressor> d = std::make_unique<Decompressor>();
  ~DecompressorGuard() {
    if (d->created) jpeg_destroy_decompress(&d->info);
  }
};

struct CompressorGuard {
  std::unique_ptr<Compressor> c = std::make_unique<Compressor>();
  ~CompressorGuard() {
    if (c->created) jpeg_destroy_compress(&c->info);
    std::free(c->buffer);
  }
};

}  // namespace

Image Decode(const std::uint8_t* data, std::size_t size, std::size_t* consumed) {
  if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != 0xD8) Fail("the data does not start with a JPEG marker");
  DecompressorGuard guard;
  Decompressor* d = guard.d.get();
  InitErrors(&d->errors);
  if (!ReadHeader(d, data, size)) Fail(d->errors.message);
  const std::uint64_t w = d->info.image_width, h = d->info.image_height;
  if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide || w * h > kMaxPixels)
    Fail(std::to_string(w) + " x " + std::to_string(h) + " is not an acceptable picture size");
  if (!StartDecompress(d)) Fail(d->errors.message);
  Image img;
  img.width = static_cast<int>(d->info.output_width);
  img.height = static_cast<int>(d->info.output_height);
  img.grayscale = d->info.jpeg_color_space == JCS_GRAYSCALE;
  img.bgra.assign(static_cast<std::size_t>(img.width) * img.height * 4, 0);
  if (!ReadRows(d, img.bgra.data(), static_cast<std::size_t>(img.width) * 4)) Fail(d->errors.message);
  if (d->info.out_color_space == JCS_CMYK) {
    // Writers that mark their files as the Adobe applications do store the inks inverted
    // (255 = no ink); the others store them as they are.
    const bool inverted = d->info.saw_Adobe_marker;
    for (std::size_t i = 0; i < img.bgra.size(); i += 4) {
      std::uint8_t* p = img.bgra.data() + i;
      const unsigned c = inverted ? p[0] : 255 - p[0], m = inverted ? p[1] : 255 - p[1];
      const unsigned y = inverted ? p[2] : 255 - p[2], k = inverted ? p[3] : 255 - p[3];
      p[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
      p[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
      p[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
      p[3] = 255;
    }
  }
  if (consumed != nullptr) *consumed = size - d->info.src->bytes_in_buffer;
  return img;
}

std::vector<std::uint8_t> Encode(const std::uint8_t* bgra, int width, int height, int quality, bool grayscale) {
  if (bgra == nullptr || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
    throw EInvalidGraphic("Cannot write a JPEG picture of " + std::to_string(width) + " x " + std::to_string(height) +
                          " pixels");
  quality = std::clamp(quality, 1, 100);
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  std::vector<std::uint8_t> grey;
  const std::uint8_t* samples = bgra;
  if (grayscale) {
    grey.resize(pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
      const std::uint8_t* p = bgra + i * 4;
      grey[i] = static_cast<std::uint8_t>((p[0] * 1868 + p[1] * 9617 + p[2] * 4899 + 8192) >> 14);
    }
    samples = grey.data();
  }
  CompressorGuard guard;
  Compressor* c = guard.c.get();
  InitErrors(&c->errors);
  if (!Compress(c, samples, width, height, grayscale ? 1 : 4, quality))
    throw EInvalidGraphic(std::string("Cannot write a JPEG picture: ") + c->errors.message);
  return std::vector<std::uint8_t>(c->buffer, c->buffer + c->size);
}

}  // namespace jpegcodec

// ---------------------------------------------------------------------------------------------

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of a JPEG image"); }
void TJPEGImage::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of a JPEG image"); }

void TJPEGImage::SetCompressionQuality(int Value) {
  Value = std::clamp(Value, 1, 100);
  if (Value == quality_) return;
  quality_ = Value;
  original_.clear();
}

void TJPEGImage::LoadFromStream(TStream* Stream) {
  const std::int64_t start = Stream->Position();
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<std::int64_t>(Stream->Size() - start, 0)));
  if (!bytes.empty()) Stream->ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  std::size_t consumed = 0;
  jpegcodec::Image fresh;
  try {
    fresh = jpegcodec::Decode(bytes.data(), bytes.size(), &consumed);
  } catch (...) {
    Stream->SetPosition(start);
    throw;
  }
  Stream->SetPosition(start + static_cast<std::int64_t>(consumed));
  bytes.resize(consumed);
  image_ = std::move(fresh);
  original_ = std::move(bytes);
  Changed(this);
}

void TJPEGImage::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  if (original_.empty())
    original_ = jpegcodec::Encode(image_.bgra.data(), image_.width, image_.height, quality_, image_.grayscale);
  Stream->WriteBuffer(original_.data(), static_cast<std::int64_t>(original_.size()));
}

void TJPEGImage::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (auto* jpeg = dynamic_cast<TJPEGImage*>(Source)) {
    image_ = jpeg->image_;
    original_ = jpeg->original_;
    quality_ = jpeg->quality_;
    Changed(this);
    return;
  }
  auto* bitmap = dynamic_cast<TBitmap*>(Source);
  if (bitmap == nullptr) {
    TGraphic::Assign(Source);
    return;
  }
  jpegcodec::Image fresh;
  if (!bitmap->Empty()) {
    const PixelSurface& surface = *bitmap->Surface();
    fresh.width = surface.Width();
    fresh.height = surface.Height();
    fresh.bgra.resize(static_cast<std::size_t>(fresh.width) * fresh.height * 4);
    std::uint8_t* d = fresh.bgra.data();
    for (int y = 0; y < fresh.height; ++y)
      for (int x = 0; x < fresh.width; ++x, d += 4) {
        const std::uint32_t argb = surface.PixelAt(x, y);
        d[0] = argb & 0xFF;
        d[1] = (argb >> 8) & 0xFF;
        d[2] = (argb >> 16) & 0xFF;
        d[3] = 255;
      }
  }
  image_ = std::move(fresh);
  original_.clear();
  Changed(this);
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
  auto* bitmap = dynamic_cast<TBitmap*>(Dest);
  if (bitmap == nullptr) {
    TGraphic::AssignTo(Dest);
    return;
  }
  bitmap->SetPixelFormat(TPixelFormat::pf24bit);
  bitmap->SetSize(image_.width, image_.height);
  for (int y = 0; y < image_.height; ++y) {
    auto* row = static_cast<std::uint8_t*>(bitmap->ScanLine(y));
    const std::uint8_t* src = image_.bgra.data() + static_cast<std::size_t>(y) * image_.width * 4;
    for (int x = 0; x < image_.width; ++x) std::memcpy(row + x * 3, src + x * 4, 3);
  }
}

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (ACanvas == nullptr || Empty()) return;
  DrawBgraPixels(ACanvas->Handle(), Rect, image_.bgra.data(), image_.width, image_.height, image_.width * 4,
                 TPixelBlend::Opaque);
}

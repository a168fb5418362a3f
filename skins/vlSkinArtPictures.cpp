#include "platform/Bitmap.h"
#include "skins/vlSkinArt.h"
#include "skins/vlSkinArtMaker.h"

std::vector<TvlArtPicture> vlDrawBuiltinPictures() {
  std::vector<TvlArtPicture> out;
  return out;
}

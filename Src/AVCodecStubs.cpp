#include "Src/AVCodecStubs.h"

void BindAVCodecFunctions(const std::string& ALibName, void* AHandle) {
#define BIND_ONE(name) BindFunction(ALibName, AHandle, #name, av::name);
  FFLOADER_AVCODEC_FUNCTIONS(BIND_ONE)
#undef BIND_ONE
}

void UnbindAVCodecFunctions() {
#define UNBIND_ONE(name) av::name = nullptr;
  FFLOADER_AVCODEC_FUNCTIONS(UNBIND_ONE)
#undef UNBIND_ONE
}

#include "Src/AVFormatStubs.h"

void BindAVFormatFunctions(const std::string& ALibName, void* AHandle) {
#define BIND_ONE(name) BindFunction(ALibName, AHandle, #name, av::name);
  FFLOADER_AVFORMAT_FUNCTIONS(BIND_ONE)
#undef BIND_ONE
}

void UnbindAVFormatFunctions() {
#define UNBIND_ONE(name) av::name = nullptr;
  FFLOADER_AVFORMAT_FUNCTIONS(UNBIND_ONE)
#undef UNBIND_ONE
}

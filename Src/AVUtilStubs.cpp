#include "Src/AVUtilStubs.h"

void BindAVUtilFunctions(const std::string& ALibName, void* AHandle) {
#define BIND_ONE(name) BindFunction(ALibName, AHandle, #name, av::name);
  FFLOADER_AVUTIL_FUNCTIONS(BIND_ONE)
#undef BIND_ONE
}

void UnbindAVUtilFunctions() {
#define UNBIND_ONE(name) av::name = nullptr;
  FFLOADER_AVUTIL_FUNCTIONS(UNBIND_ONE)
#undef UNBIND_ONE
}

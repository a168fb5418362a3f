#include "Src/SwScaleStubs.h"

void BindSwScaleFunctions(const std::string& ALibName, void* AHandle) {
#define BIND_ONE(name) BindFunction(ALibName, AHandle, #name, av::name);
  FFLOADER_SWSCALE_FUNCTIONS(BIND_ONE)
#undef BIND_ONE
}

void UnbindSwScaleFunctions() {
#define UNBIND_ONE(name) av::name = nullptr;
  FFLOADER_SWSCALE_FUNCTIONS(UNBIND_ONE)
#undef UNBIND_ONE
}

#include "Src/SwResampleStubs.h"

void BindSwResampleFunctions(const std::string& ALibName, void* AHandle) {
#define BIND_ONE(name) BindFunction(ALibName, AHandle, #name, av::name);
  FFLOADER_SWRESAMPLE_FUNCTIONS(BIND_ONE)
#undef BIND_ONE
}

void UnbindSwResampleFunctions() {
#define UNBIND_ONE(name) av::name = nullptr;
  FFLOADER_SWRESAMPLE_FUNCTIONS(UNBIND_ONE)
#undef UNBIND_ONE
}

#include "Src/AVFilterStubs.h"

void BindAVFilterFunctions(const std::string& ALibName, void* AHandle) {
#define BIND_ONE(name) BindFunction(ALibName, AHandle, #name, av::name);
  FFLOADER_AVFILTER_FUNCTIONS(BIND_ONE)
#undef BIND_ONE
}

void UnbindAVFilterFunctions() {
#define UNBIND_ONE(name) av::name = nullptr;
  FFLOADER_AVFILTER_FUNCTIONS(UNBIND_ONE)
#undef UNBIND_ONE
}

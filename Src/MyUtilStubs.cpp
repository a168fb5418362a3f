#include "Src/MyUtilStubs.h"

void BindMsvcrtFunctions(const std::string& ALibName, void* AHandle) {
#define BIND_ONE(name) BindFunction(ALibName, AHandle, #name, crt::name);
  FFLOADER_CRT_FUNCTIONS(BIND_ONE)
#undef BIND_ONE
}

void UnbindMsvcrtFunctions() {
#define UNBIND_ONE(name) crt::name = nullptr;
  FFLOADER_CRT_FUNCTIONS(UNBIND_ONE)
#undef UNBIND_ONE
}

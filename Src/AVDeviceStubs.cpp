#include "Src/AVDeviceStubs.h"

void BindAVDeviceFunctions(const std::string& ALibName, void* AHandle) {
#define BIND_ONE(name) BindFunction(ALibName, AHandle, #name, av::name);
  FFLOADER_AVDEVICE_FUNCTIONS(BIND_ONE)
#undef BIND_ONE
  // The one registration call left in the libraries: devices are not listed until it ran.
  av::avdevice_register_all();
}

void UnbindAVDeviceFunctions() {
#define UNBIND_ONE(name) av::name = nullptr;
  FFLOADER_AVDEVICE_FUNCTIONS(UNBIND_ONE)
#undef UNBIND_ONE
}

#include "Src/libsdl.h"

void BindSDLFunctions(const std::string& ALibName, void* AHandle) {
#define BIND_ONE(name) BindFunction(ALibName, AHandle, #name, sdl::name);
  FFLOADER_SDL_FUNCTIONS(BIND_ONE)
#undef BIND_ONE
}

void UnbindSDLFunctions() {
#define UNBIND_ONE(name) sdl::name = nullptr;
  FFLOADER_SDL_FUNCTIONS(UNBIND_ONE)
#undef UNBIND_ONE
}

#pragma once
// Run-time references to the functions of SDL 1.2.
// Every reference is nullptr until the loader has bound the library, and again after it unbinds
// it; callers reach the library only through these references, never by linking.

#include <SDL/SDL.h>

#include <string>

#include "Src/FFmpegLoader.h"

#define FFLOADER_SDL_FUNCTIONS(X) \
  X(SDL_Init) \
  X(SDL_Quit) \
  X(SDL_GetError) \
  X(SDL_AddTimer) \
  X(SDL_RemoveTimer) \
  X(SDL_OpenAudio) \
  X(SDL_PauseAudio) \
  X(SDL_CloseAudio) \
  X(SDL_MixAudio) \
  X(SDL_WaitEvent) \
  X(SDL_PollEvent) \
  X(SDL_PushEvent) \
  X(SDL_EventState) \
  X(SDL_GetVideoInfo) \
  X(SDL_SetVideoMode) \
  X(SDL_UpdateRect) \
  X(SDL_WM_SetCaption) \
  X(SDL_MapRGB) \
  X(SDL_FillRect) \
  X(SDL_CreateYUVOverlay) \
  X(SDL_LockYUVOverlay) \
  X(SDL_UnlockYUVOverlay) \
  X(SDL_DisplayYUVOverlay) \
  X(SDL_FreeYUVOverlay) \
  X(SDL_CreateMutex) \
  X(SDL_mutexP) \
  X(SDL_mutexV) \
  X(SDL_DestroyMutex) \
  X(SDL_CreateCond) \
  X(SDL_DestroyCond) \
  X(SDL_CondSignal) \
  X(SDL_CondWait) \
  X(SDL_CondWaitTimeout) \
  X(SDL_CreateThread) \
  X(SDL_WaitThread) \
  X(SDL_AudioDriverName) \
  X(SDL_VideoDriverName) \
  X(SDL_Delay) \
  X(SDL_GetTicks)

namespace sdl {
FFLOADER_SDL_FUNCTIONS(FFLOADER_DECLARE_REFERENCE)
}  // namespace sdl

// Binds every reference from the loaded module; raises Exception ("Load function %s@%s error: %s")
// at the first missing export. ALibName is the file name used in that message.
void BindSDLFunctions(const std::string& ALibName, void* AHandle);
// Resets every reference to nullptr.
void UnbindSDLFunctions();

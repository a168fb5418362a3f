// The run of a job: read, decode, filter, encode and write.

#include "Src/FFmpeg.h"

// FIXME: the packet loop is not written yet. Until it is, a run passes the pause gate once and
// ends as finished unless a stop was asked; the engine's run control around it is complete.
void TCustomFFmpeg::Transcode() {
  WaitWhilePaused();
  FFinished = !FBroken;
}

#include "app/OutputFolder.h"

#include <utility>

void TOutputFolder::SetFolder(std::string Folder) {
  if (Folder == folder_) return;
  folder_ = std::move(Folder);
  if (OnChange) OnChange();
}

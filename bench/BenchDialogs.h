// The main window's dialogs for benchmarks that drive the real window: the file dialog answers
// with the files of the next add, once; message boxes are printed; questions are refused.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/ConverterDialogs.h"

namespace benchwindow {

class TBenchDialogs : public IConverterDialogs {
 public:
  std::vector<std::string> files;
  bool OpenFiles(TOpenDialogState& Dialog) override {
    if (files.empty()) return false;
    Dialog.Files = std::exchange(files, {});
    Dialog.FileName = Dialog.Files.front();
    return true;
  }
  bool SelectFolder(TFolderDialogState&) override { return false; }
  bool Confirm(const std::string&, const std::string&) override { return false; }
  void ShowMessage(const std::string& Text, const std::string& Caption, TMsgDlgType) override {
    std::printf("  message: %s | %s\n", Caption.c_str(), Text.substr(0, 200).c_str());
  }
};

}  // namespace benchwindow

#pragma once
// The output folder as the main window keeps it: the read-only folder field beside "输出目录："
// and FileOutPutPath, which always hold the same folder. Every job's output file goes into it;
// applying a preset builds the output path from the field's text as it is. GUI thread only.

#include <functional>
#include <string>

class TOutputFolder {
 public:
  // The folder field's text (Video_OutPut_Folder_Edit); the same as FileOutPutPath.
  [[nodiscard]] const std::string& Text() const { return folder_; }
  [[nodiscard]] const std::string& FileOutPutPath() const { return folder_; }

  // Sets the field and FileOutPutPath together; OnChange is told when the folder changed.
  void SetFolder(std::string Folder);

  std::function<void()> OnChange;

 private:
  std::string folder_;
};

#pragma once
// Where the converter finds its files and puts its output: the files beside the program (the
// options file, the media libraries, the end sound, the help file) and the default output and
// snapshot folders in the user's home. The program passes one of these to its windows; tests
// pass a temporary program folder and home.

#include <string>

struct TProgramFolders {
  std::string Program;  // the program's folder, ending with "/"
  std::string Home;     // the user's home folder, without a trailing "/"

  // The running program's folder and the home folder of the environment ($HOME, else the
  // account's home).
  [[nodiscard]] static TProgramFolders OfThisProgram();

  [[nodiscard]] std::string OptionFile() const { return Program + "option.ini"; }
  [[nodiscard]] std::string LibraryFolder() const { return Program + "LibAV"; }
  [[nodiscard]] std::string EndSound() const { return Program + "sounds/ring001.wav"; }
  [[nodiscard]] std::string HelpFile() const { return Program + "help.chm"; }
  [[nodiscard]] std::string DefaultOutputFolder() const { return Home + "/Qirelo视频软件/输出"; }
  [[nodiscard]] std::string DefaultSnapshotFolder() const { return Home + "/Qirelo视频软件/快照"; }
};

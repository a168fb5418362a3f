// The skin library's units are added beside this file.

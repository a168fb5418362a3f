// The converter's executable.
#include "app/Project1.h"

int main() { return RunConverter(); }

#pragma once
// Where the data files live on Windows: directly in the Windows directory, as GetWindowsDirectoryA
// reports it, in paths of at most 260 bytes (MAX_PATH); files are replaced with MoveFileEx.
#include "seams/data_files.h"

DataFiles windowsDataFiles();

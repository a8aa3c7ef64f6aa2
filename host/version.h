// The programs' version, as --version prints it: the project's version, and the commit it was built from.
#pragma once

// For example "0.1+g8c64ae5", "0.1+g8c64ae5-dirty", or "0.1" for a tagged release or a build outside git.
const char* VeskVersion();

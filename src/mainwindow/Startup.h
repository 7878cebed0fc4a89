#pragma once

// Starts the interactive editor and runs it until it quits; returns the exit status.
// `usage` is what the program prints when it is started in a way it cannot serve.
int runEditor(int& argc, char** argv, const char* usage);

#pragma once

// Starts the interactive editor and runs it until it quits; returns the exit status.
int runEditor(int& argc, char** argv);

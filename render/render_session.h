// glaxen-render's run: the show's own main routine over a virtual platform. Its clock steps one
// frame per read, its presenter writes the frames asked for, its audio hands out the spectra
// of a SpectrumSource. Needs: show/, render/.
#pragma once

#include "render/render_options.h"

// Renders as the options say; returns the exit code (0, or 2 with a message on stderr).
int renderShow(const RenderOptions &options);

// The whole program: options, then the run. Exit code 0, or 2 on any error.
int renderMain(int argc, const char *const *argv);

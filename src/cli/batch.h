#pragma once

struct Options;

// Converts what `options` name: one picture, or a batch side by side on all cores, each picture into its own
// file. Everything that would make the outputs clash, or replace a picture, is refused before anything is
// written. An exit code.
int convert(const Options &options);

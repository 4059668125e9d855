#pragma once
// The sound numbers that have a row in the sound catalogue (data/sounds.txt), and the check a
// test makes after running code with a ResourceRecorder: every sound asked for from the
// program's own WAV folder must have a row, or it would play as silence.
#include <cstdint>
#include <set>
#include <string>

#include "support/ResourceRecorder.h"

// The numbers of the catalogue's rows; empty when the catalogue cannot be read.
std::set<int32_t> SoundCatalogueRows();

// "" when every sound recorded from wavFolder (a program-form folder ending in "WAV\") has a
// row; otherwise a message naming the sounds without one.
std::string SoundsWithoutRows(const ResourceRecorder& recorder, const std::string& wavFolder);

#pragma once
// The render command: morvanel-render IN.png OUT.png [options] [KEY=VALUE ...]
//
// Renders the opaque (or selected) region of IN.png with the default
// parameters changed by the KEY=VALUE pairs and writes the shaded colours
// with the resulting alpha to OUT.png.  KEY is a four-character script key
// (pMhe) or SECTION.Key of the profile files (MODEL.Height).
//
// Options:
//   --selection=FILE  a grey image whose values are the mask (else IN's alpha)
//   --raw-mask        do not close one-pixel holes of the mask
//   --system=DIR      the system folder (else $MORVANEL_HOME, ...)
#include <iosfwd>
#include <string>
#include <vector>

#include "CMacRect.h"
#include "ShadeParams.h"

class DibEx;

// Sets one entry by key; false for an unknown key, a value that is not a
// number or lies outside the entry's range, or a path too long for its field.
bool SetParameter(ShadeParams& params, const std::string& key, const std::string& value);

// Bounding rectangle of the non-zero mask pixels; empty when there are none.
CMacRect MaskBounds(DibEx& mask);

// Runs the command; the process exit code (0 success, 1 usage, 2 files,
// 3 out of memory).
int RenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

#pragma once
#include <string>

// Turns the soldier figure's mesh source (data/figures/meshes.txt) into the tables the program
// compiles (FigureMeshData.cpp) and a sheet of the texture layouts the figure's pictures must
// fit.
//
// Source form: '#' starts a comment. "part NAME" opens the next part (the parts come in the
// order of FigureMesh::kShapes); each following line is one primitive of it:
//   strip N ring XA YA ZA RXA RYA XB YB ZB RXB RYB A0 A1 U0 U1 VA VB
//       points alternate between ring A (centred on (XA, YA, ZA), radii RXA across and RYA
//       along) and ring B, at angles A0..A1 degrees (x along the cosine, y along the sine);
//       u runs U0..U1 with the angle, v is VA on ring A and VB on ring B;
//   strip N vring ... and strip N xring ...
//       the same with rings standing upright across y (points (X + RA cos, Y, Z + RB sin): a
//       tube along y) or facing along x (points (X, Y + RA cos, Z + RB sin): a tube along x);
//   fan N disk CX CY Z RX RY A0 A1 H UC VC RU RV
//       a centre (CX, CY, Z + H) and N + 1 rim points at height Z over A0..A1; the centre's
//       (u, v) is (UC, VC), a rim point's (UC + RU cos, VC - RV sin);
//   fan N vdisk CX Y CZ RX RZ A0 A1 H UC VC RU RV
//       the same standing upright: rim points (CX + RX cos, Y, CZ + RZ sin), centre at Y + H;
//   fan N xdisk X CY CZ RY RZ A0 A1 H UC VC RU RV
//       the same facing along x (a wheel): rim points (X, CY + RY cos, CZ + RZ sin), centre
//       at X + H;
//   tri X Y Z U V (three corners)   quad X Y Z U V (four corners)
// A coloured part's primitives give texture coordinates too; they are not written.
// Refused, each with "<source>:<line>: <reason>": a part out of order or missing, a primitive
// whose kind or count differs from the part's fixed structure, a non-finite or malformed
// number, a texture coordinate outside 0..1, a point beyond its segment's reach.
class FigureMeshCompiler {
 public:
  struct Output {
    std::string tableSource;  // FigureMeshData.cpp
    std::string layoutSheet;  // the texture layouts, as text
    std::string contactPicture;  // a BMP of the standing man at the seven levels
  };
  static bool Compile(const std::string& source, const std::string& sourceName, Output& out, std::string& error);
};

#pragma once
#include <string>
#include <vector>

#include "WeaponModelShapes.h"

// Compiles the weapon model descriptions (one text per model: its layout, pivot and muzzle,
// how the gun stands and its measurements (style, wheels, trail, shield, bore, platform,
// brake), and the step list whose draw steps name the part their polygons shape, which
// WeaponModelShapes turns into vertices) into the generated source of WeaponModelData. Each model is checked against WeaponModelCounts; a model whose
// counts, binds, layout or sections differ is refused with "name:line: reason" (line 0 for
// the model as a whole).
class WeaponModelCompiler {
 public:
  // Adds one description; false with error set when it cannot be read.
  bool Add(const std::string& name, const std::string& text);
  // The generated source once every model 0..22 was added exactly once; false with error.
  bool Generate(std::string& source);
  // The same model as straight-line calls on the renderer, with no step list to walk: a
  // function DrawWeaponModelStraight<number>(clip) that does what the interpreter does for it
  // (the benchmark measures the interpreter against it). Call after Generate.
  bool GenerateStraightLine(int number, std::string& source);
  const std::string& Error() const { return error_; }

  struct Step {
    int op = 0;
    int arg = 0;
    std::string part;
    int line = 0;
  };
  struct Model {
    std::string name;
    int number = -1;
    std::string layout;
    float pivot[3] = {};
    float muzzle = 0.0f;
    int unbound = -1;
    WeaponModelShapes::Gun gun;  // its measurements, with the pivot and muzzle
    std::vector<Step> steps;
  };
  // The section signature of a step list, in the form of WeaponModelCounts::sections.
  static std::string Sections(const Model& model);
  // "" when the model meets its row, else the reason.
  static std::string Check(const Model& model);
  // The model of a number once added, else null.
  const Model* Find(int number) const;

 private:
  bool Fail(const std::string& name, int line, const std::string& reason);
  std::vector<Model> models_;
  std::string error_;
};

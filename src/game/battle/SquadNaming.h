#pragma once

// Whether squads are named without their suffix: the open scenario editor's setting, asked of
// the program that shows the editor. No naming answered is the suffix kept.
class SquadNaming {
 public:
  virtual ~SquadNaming() = default;

  // The open editor names squads without their suffix.
  virtual bool IsSquadSuffixHidden() const = 0;
};

// Above the units, casts to classes that are no unit stay allowed.
class GView {
 public:
  virtual ~GView() = default;
};
class Balloon : public GView {};

const Balloon* BalloonOf(const GView* view) { return dynamic_cast<const Balloon*>(view); }

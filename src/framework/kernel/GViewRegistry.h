#pragma once
#include <cstdint>

class GButton;
class GGroup;
class GObjectGroup;
class GView;

// The kernel's view bookkeeping: the modal views (the last one on top), the views to draw in
// the next 2-D frame (only topmost ones), the keyboard focus and its Tab chain, and the
// default buttons that Return presses (newest first). None of the groups owns its views; a
// view that goes away is forgotten (Forget). The kernel serves its operations of the same
// names from here.
class GViewRegistry {
 public:
  GViewRegistry();
  ~GViewRegistry();
  GViewRegistry(const GViewRegistry&) = delete;
  GViewRegistry& operator=(const GViewRegistry&) = delete;

  // Nothing when the view or an ancestor is already dirty; otherwise its dirty descendants
  // leave and the view joins.
  void InvalidateView2D(GView* view);
  // Drops the view from every group and from the focus.
  void Forget(GView* view);
  void PushModalView(GView* view);
  GView* GetTopModalView() const;
  GGroup* GetDirtyViews() const;
  GGroup* GetModalViews() const;
  GGroup* GetFocusChain() const;

  // The view in the focus chain, visible and enabled, and inside the top modal view if any.
  bool CanTakeFocus(GView* view) const;
  GView* GetFocusView() const { return focusView_; }
  // Deselects the old focus (a text entry's selection) and selects the new one.
  void SetFocusView(GView* view);
  // Takes the focus when the view can, invalidating the old and the new focus view.
  void FocusView(GView* view);
  // Tab: the next member of the chain after the focus, wrapping.
  void FocusNext();
  // Joins or leaves the chain; the focus view that does either loses the focus.
  void SetFocusChainMember(GView* view, bool add);
  // The idle step: keeps the focus on a view that can take it, or on none.
  void UpdateFocus();

  void AddDefaultButton(GButton* button);
  void RemoveDefaultButton(GButton* button);
  // The first visible, enabled default button inside the top modal view (any without one).
  GButton* FindDefaultButton() const;

 private:
  GObjectGroup* modalViews_ = nullptr;
  GObjectGroup* dirtyViews_ = nullptr;
  GObjectGroup* focusChain_ = nullptr;  // in Tab order
  GObjectGroup* defaultButtons_ = nullptr;
  GView* focusView_ = nullptr;
};

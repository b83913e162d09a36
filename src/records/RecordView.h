// What the record tables ask of the control that holds and shows one spectrum record (the spectrum
// plot of the display implements it): its record, visibility, focus, sizes, ROI mode and redraws.
#pragma once

#include "records/SpectrumRecord.h"

namespace mirvo {

// How much of a view must be repainted: nothing, the marks over the kept picture, or everything.
enum class RedrawKind { None = 0, Partial = 1, Full = 2 };

class IRecordView {
 public:
  virtual ~IRecordView() = default;
  virtual SpectrumRecord& Record() = 0;
  virtual const SpectrumRecord& Record() const = 0;
  // The view's tab was selected (true) or left (false); a shown view retitles its pane.
  virtual void SetVisible(bool visible) = 0;
  // The view takes the focus: it applies its sizes and becomes the active record of its spectrum.
  virtual void GainFocus() = 0;
  // Returns 0, or -1 for sizes outside 512..4096 (nothing changed); applied only while visible.
  virtual int SetSizes(int hard, int soft) = 0;
  // Rebuilds the soft ROI flags from the hard ones.
  virtual void RebuildSoftRoi() = 0;
  virtual void SetRoiMode(int mode) = 0;
  // The units and the peak information are worked out again at the next tick.
  virtual void SetUnitsRefresh(bool on) = 0;
  virtual void RequestRedraw(RedrawKind kind) = 0;
};

}  // namespace mirvo

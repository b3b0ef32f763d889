// ProgressReader: the view reader of a report — it walks the report's view
// like any ViewReader, counts the records it delivers and keeps a percentage
// of the work done for the progress window, and it owns the report
// procedure's per-record step (TakeRecord).
//
// Set-up, by the report procedure (one of):
//     InitCounted(view, primary, progressText, progressBar, expected)   // 0: count them
//     InitScaled(view, primary, progressText, progressBar, scale, valueField)
//
// The percentage, in this order of preference:
//   - with a scale: where the value field's value of the record just read
//     lies between the view's first and last values (ThumbScale);
//   - with a known size of the primary table's file (its driver cannot count
//     records): bytes read × 100 ÷ file size;
//   - records processed ÷ records to process × 100, truncated.
// It never exceeds 100. When the whole percentage changes, the progress bar
// and the text ("37% Complete") of the reader's window show it.
//
// Used only by the run token's holder, on the report procedure's thread.
#pragma once

#include <cstdint>

#include "framework/browse/thumb_scale.h"
#include "framework/browse/view_reader.h"
#include "platform/field_binding.h"
#include "platform/window.h"

namespace zelvo {

class ProgressReader : public ViewReader {
 public:
  void InitCounted(View& readerView, RelationSet& primarySet, ControlId text, ControlId bar, long expected);
  void InitScaled(View& readerView, RelationSet& primarySet, ControlId text, ControlId bar, ThumbScale& scale,
                  FieldBinding value);
  // The window whose progress controls show the percentage (the runner's).
  void ShowProgressIn(Window* progressWindow) { window = progressWindow; }

  // ViewReader ------------------------------------------------------------------
  // Counts or measures the work, then starts the view at its beginning.
  bool PositionAtStart() override;
  // Also switches quick scan off for the view's tables.
  void KillReader() override;

  // Virtual operations, in slot order -------------------------------------------
  // The next record; with `count`, counted into the percentage. LevelOk a
  // record, LevelNotify the end, LevelFatal a read error (reported).
  virtual Level ReadCounted(bool count);
  // The report procedure's step for the record just read.
  virtual Level TakeRecord() { return LevelOk; }

  // Fields, in the order of their declaration.
  long bytesRead = 0;
  long fileSize = 0;
  std::uint8_t percentile = 0;  // the progress variable: 0..100
  ControlId progressText = 0;
  ControlId progressBar = 0;
  long recordsProcessed = 0;
  long recordsToProcess = 0;
  ThumbScale* stepManager = nullptr;
  FieldBinding valueField;
  bool caseSensitiveValue = false;
  Window* window = nullptr;

 private:
  void Init(View& readerView, RelationSet& primarySet, ControlId text, ControlId bar);
  // The value field's value as the scale takes it.
  std::string ScaleValue() const;
  void ShowPercent(int percent);
};

}  // namespace zelvo

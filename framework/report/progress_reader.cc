#include "framework/report/progress_reader.h"

#include <algorithm>

#include "runtime/locale.h"
#include "storage/file_operations.h"

namespace zelvo {
namespace {

std::string UpperCased(std::string text) {
  const LocaleTables& locale = Locale();
  for (char& c : text) c = static_cast<char>(locale.Upper(static_cast<std::uint8_t>(c)));
  return text;
}

}  // namespace

void ProgressReader::Init(View& readerView, RelationSet& primarySet, ControlId text, ControlId bar) {
  InitReader(readerView, primarySet);
  progressText = text;
  progressBar = bar;
  percentile = 0;
  bytesRead = 0;
  fileSize = 0;
  recordsProcessed = 0;
}

void ProgressReader::InitCounted(View& readerView, RelationSet& primarySet, ControlId text, ControlId bar,
                                 long expected) {
  Init(readerView, primarySet, text, bar);
  recordsToProcess = expected;
  stepManager = nullptr;
}

void ProgressReader::InitScaled(View& readerView, RelationSet& primarySet, ControlId text, ControlId bar,
                                ThumbScale& scale, FieldBinding value) {
  Init(readerView, primarySet, text, bar);
  recordsToProcess = 0;
  stepManager = &scale;
  valueField = std::move(value);
  caseSensitiveValue = true;
}

std::string ProgressReader::ScaleValue() const {
  std::string value = valueField.ValueText();
  return caseSensitiveValue ? value : UpperCased(std::move(value));
}

bool ProgressReader::PositionAtStart() {
  recordsProcessed = 0;
  bytesRead = 0;
  if (stepManager != nullptr && valueField.IsBound()) {
    std::string high, low;
    if (!PositionView(0)) return false;
    if (ReadBackward() == LevelOk) high = ScaleValue();
    if (!PositionView(0)) return false;
    if (ReadForward() == LevelOk) low = ScaleValue();
    stepManager->SetScaleLimits(low, high);
  } else if (recordsToProcess == 0) {
    File& file = primary->Me().file();
    (void)primary->Me().EnsureUsable(3);
    OperationAnswer answer;
    if (!Failed(PerformFileOperation(file, FileOperation::RECORDSfile, {}, answer)))
      recordsToProcess = static_cast<long>(answer.number);
    if (recordsToProcess == 0) {
      OperationAnswer bytes;
      if (!Failed(PerformFileOperation(file, FileOperation::BYTES, {}, bytes)))
        fileSize = static_cast<long>(bytes.number);
    }
  }
  return PositionView(0);
}

Level ProgressReader::ReadCounted(bool count) {
  const Level level = ReadForward();
  if (level != LevelOk || !count) return level;
  if (fileSize > 0) bytesRead += static_cast<long>(primary->Me().file().Record().Size());
  ++recordsProcessed;
  long percent = 0;
  if (stepManager != nullptr && valueField.IsBound()) {
    percent = stepManager->ScalePercentile(ScaleValue());
  } else if (fileSize > 0) {
    percent = bytesRead * 100 / fileSize;
  } else if (recordsToProcess > 0) {
    percent = recordsProcessed * 100 / recordsToProcess;
  }
  ShowPercent(static_cast<int>(std::clamp<long>(percent, 0, 100)));
  return level;
}

void ProgressReader::ShowPercent(int percent) {
  if (percent == percentile) return;
  percentile = static_cast<std::uint8_t>(percent);
  if (window == nullptr || !window->IsOpen()) return;
  if (progressBar != 0) window->SetProgress(progressBar, percent);
  if (progressText != 0) window->SetText(progressText, std::to_string(percent) + "% Complete");
}

void ProgressReader::KillReader() {
  if (primary != nullptr) primary->SwitchQuickScan(false, 1);
  stepManager = nullptr;
  window = nullptr;
  ViewReader::KillReader();
}

}  // namespace zelvo

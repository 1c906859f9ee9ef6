// What a poll cycle needs of the main frame while it runs on the worker thread.
#pragma once

#include <string>

namespace tarnwick {

class CycleHost {
 public:
  virtual ~CycleHost() = default;
  virtual void SetStatusText(const std::string& text) = 0;  // pane 0 of the status bar
  virtual void LogToWindow(const std::string& text) = 0;
  virtual void LogToFile(const std::string& text) = 0;
  // A message that would come again every cycle for the same file: the log file
  // takes it once a day per `kind` and full `path`.
  virtual void LogToFileOncePerDay(const std::string& kind, const std::string& path, const std::string& text) = 0;
  virtual void LogTransferred(const std::string& text) = 0;
  virtual bool ShowIcon(unsigned resourceId) = 0;
  // A message box for the user, which the cycle does not wait for.
  virtual void ShowMessage(const std::string& text) = 0;
  virtual void ChangeIcon() = 0;             // the change-icon command
  virtual void StopScheduledPolling() = 0;   // after a failed author check
  // The cycle's last step: the idle icon. The busy flag falls when the worker thread
  // has left the cycle (see MainFrame::WorkerFinished).
  virtual void EndCycle() = 0;
  // Exit was chosen: the cycle leaves at its next step.
  virtual bool StopRequested() const = 0;
};

}  // namespace tarnwick

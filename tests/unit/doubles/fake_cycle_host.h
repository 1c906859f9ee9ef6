// A frame for the poll cycle that writes every output into one ordered journal:
// "W:" window log, "S:" status bar, "F:" log file, "T:" transferred line, "M:" message
// box, "E:" end of cycle.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "doubles/fake_ui.h"
#include "transfer/cycle_host.h"

namespace tarnwick::testing {

class FakeCycleHost : public CycleHost {
 public:
  explicit FakeCycleHost(OutputJournal& journal) : m_journal(journal) {}

  void SetStatusText(const std::string& text) override { Output('S', text); }
  void LogToWindow(const std::string& text) override { Output('W', text); }
  void LogToFile(const std::string& text) override { Output('F', text); }
  // Journaled like every file line; the keys tell which lines the log thins out.
  void LogToFileOncePerDay(const std::string& kind, const std::string& path, const std::string& text) override {
    oncePerDayKeys.push_back(kind + "|" + path);
    Output('F', text);
  }
  void LogTransferred(const std::string& text) override { Output('T', text); }
  bool ShowIcon(unsigned resourceId) override {
    icons.push_back(std::to_string(resourceId));
    return true;
  }
  void ShowMessage(const std::string& text) override { Output('M', text); }
  void ChangeIcon() override { icons.push_back("toggle"); }
  void StopScheduledPolling() override { ++pollingStops; }
  void EndCycle() override {
    ++cyclesEnded;
    m_journal.Add('E', "");
  }
  bool StopRequested() const override { return stopRequested; }

  // Icon resources shown and change-icon commands, in order.
  std::vector<std::string> icons;
  // "kind|path" of each line offered to the log file once per day.
  std::vector<std::string> oncePerDayKeys;
  int pollingStops = 0;
  int cyclesEnded = 0;
  bool stopRequested = false;
  // Exit is chosen the moment an output of this text ("W:..." etc.) is made.
  std::string stopOnOutput;
  // Runs after every output with its journal entry: the world changing mid-cycle.
  std::function<void(const std::string&)> onOutput;

 private:
  void Output(char channel, const std::string& text) {
    m_journal.Add(channel, text);
    if (!stopOnOutput.empty() && m_journal.entries.back() == stopOnOutput) stopRequested = true;
    if (onOutput) onOutput(m_journal.entries.back());
  }

  OutputJournal& m_journal;
};

}  // namespace tarnwick::testing

// Doubles of the windows the core drives; each records what it was asked to do.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/media.h"
#include "platform/user_interface.h"

namespace tarnwick::testing {

// Every output of a cycle in one ordered list: "W:text", "S:text", "F:text", "M:text".
struct OutputJournal {
  std::vector<std::string> entries;
  void Add(char channel, const std::string& text) { entries.push_back(std::string(1, channel) + ":" + text); }
};

class FakeStatusBar : public IStatusBar {
 public:
  explicit FakeStatusBar(OutputJournal* journal = nullptr) : m_journal(journal) {}
  void SetText(const std::string& value) override {
    text = value;
    if (m_journal) m_journal->Add('S', value);
  }
  std::string text;

 private:
  OutputJournal* m_journal;
};

// Keeps a caret as the edit control does: lines go in at it.
class FakeWindowLog : public IWindowLog {
 public:
  void Insert(const std::string& value) override {
    caret = std::min(caret, text.size());
    text.insert(caret, value);
    caret += value.size();
  }
  void Clear() override {
    text.clear();
    caret = 0;
  }
  bool HasContent() override { return !text.empty(); }
  std::size_t Length() override { return text.size(); }
  std::string Text() override { return text; }
  void RemoveLeading(std::size_t count) override {
    text.erase(0, count);
    caret = caret >= count ? caret - count : text.size();
  }
  std::string text;
  std::size_t caret = 0;
};

class FakeMessageBox : public IMessageBox {
 public:
  explicit FakeMessageBox(OutputJournal* journal = nullptr) : m_journal(journal) {}
  void Show(const std::string& value) override {
    shown.push_back(value);
    if (m_journal) m_journal->Add('M', value);
  }
  std::vector<std::string> shown;

 private:
  OutputJournal* m_journal;
};

class FakeFrameWindow : public IFrameWindow {
 public:
  void Hide() override { visible = false; }
  void ShowAndActivate() override { visible = true; }
  unsigned SetTimer(unsigned id, unsigned milliseconds) override {
    if (failTimers) return 0;
    timers.push_back(milliseconds);
    return id;
  }
  void KillTimer(unsigned id) override { killed.push_back(id); }
  void Destroy() override { destroyed = true; }
  bool PostToUiThread(std::function<void()> task) override {
    if (dropPosts) return false;
    posted.push_back(std::move(task));
    return true;
  }
  // Open until `whileBoxOpen` returns, as a box's own message loop runs other tasks.
  void ShowMessageBox(const std::string& text) override {
    boxes.push_back(text);
    if (whileBoxOpen) whileBoxOpen(text);
  }
  void CloseCycleMessageBoxes() override { ++messageBoxClosings; }
  void RunPosted() {
    auto tasks = std::move(posted);
    posted.clear();
    for (auto& task : tasks) task();
  }

  bool visible = true;
  bool destroyed = false;
  bool failTimers = false;
  bool dropPosts = false;
  int messageBoxClosings = 0;
  std::vector<std::string> boxes;  // texts of the boxes shown, in order
  std::function<void(const std::string&)> whileBoxOpen;
  std::vector<unsigned> timers;  // periods, in the order set
  std::vector<unsigned> killed;
  std::vector<std::function<void()>> posted;
};

// Holds the started thread bodies so a test decides when each worker runs.
class FakeThreadStarter : public IThreadStarter {
 public:
  bool Start(std::function<void()> body) override {
    if (refuse) return false;
    pending.push_back(std::move(body));
    return true;
  }
  void RunAll() {
    auto bodies = std::move(pending);
    pending.clear();
    for (auto& body : bodies) body();
  }
  bool refuse = false;
  std::vector<std::function<void()>> pending;
};

class FakeTrayShell : public ITrayShell {
 public:
  struct Call {
    TrayOperation operation;
    TrayRecord record;
  };
  bool Notify(TrayOperation operation, const TrayRecord& record) override {
    calls.push_back({operation, record});
    if (onNotify) onNotify(record);
    if (failNext) {
      failNext = false;
      return false;
    }
    return !absent && !(refuseAdd && operation == TrayOperation::Add);
  }
  std::string LoadText(unsigned id) override {
    if (id == 101) return "Dravos Upload Ulkin. Right click for menu.";
    if (id == 102) return "Tarnwick - Connected. Pease Wait...";
    return std::string();
  }
  std::uintptr_t LoadIconImage(unsigned id) override { return 0x1000 + id; }
  bool TrackMenu(unsigned menuId, std::uintptr_t) override {
    menus.push_back(menuId);
    return true;
  }
  bool SendDefaultCommand(unsigned menuId, std::uintptr_t) override {
    defaults.push_back(menuId);
    return true;
  }

  bool failNext = false;
  bool absent = false;     // no taskbar: every call fails
  bool refuseAdd = false;  // the shell still has the icon, so adding it again fails
  std::function<void(const TrayRecord&)> onNotify;  // runs inside each call, as another thread might
  std::vector<Call> calls;
  std::vector<unsigned> menus;
  std::vector<unsigned> defaults;
};

class FakeClock : public IClock {
 public:
  LocalTime Now() override { return now; }
  LocalTime now;
};

class FakeRecordingLength : public IRecordingLength {
 public:
  long MeasureMilliseconds(const std::string& path) override {
    measured.push_back(path);
    auto it = lengths.find(path);
    return it == lengths.end() ? 0 : it->second;
  }
  std::map<std::string, long> lengths;
  std::vector<std::string> measured;
};

}  // namespace tarnwick::testing

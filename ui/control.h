// Window model: plain objects for the named controls of the main window.
// Each holds exactly the properties the tool touches; the Qt view mirrors them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zhv {

// Window-system colour values 0x00BBGGRR; the two system colours have the high byte set.
using TColor = std::uint32_t;
namespace clr {
constexpr TColor Red = 0x0000FF;
constexpr TColor Lime = 0x00FF00;
constexpr TColor Green = 0x008000;  // text that says all is well, readable on the button face
constexpr TColor Yellow = 0x00FFFF;
constexpr TColor Olive = 0x008080;
constexpr TColor Fuchsia = 0xFF00FF;
constexpr TColor PortOpen = 0xC0DCC0;    // RGB 192, 220, 192
constexpr TColor MoneyGreen = 0xC0DCC0;  // "light green" groups
constexpr TColor SkyBlue = 0xF0CAA6;
constexpr TColor MedGray = 0xA4A0A0;
constexpr TColor BtnFace = 0xFF00000F;
constexpr TColor WindowText = 0xFF000008;
constexpr TColor Default = 0xFFFFFFFF;  // table marker: the kind's usual colour
}  // namespace clr

enum class Kind : std::uint8_t {
  Form, PageControl, TabSheet, GroupBox, Label, Edit, Button, CheckBox, RadioButton,
  Panel, ListBox, ListView, ProgressBar, Chart, Series, Timer, SaveDialog
};

// Initial-state flags of the control table.
enum : unsigned { RO = 1, DIS = 2, HID = 4, CHK = 8 };

// Where a control sits in its parent's grid (view only).
struct Cell {
  int row = 0, col = 0, rowSpan = 1, colSpan = 1;
};

class TForm1;

class Control {
 public:
  Control(TForm1* form, const char* name, Kind kind, Control* parent, const char* text,
          unsigned flags, int maxLength, TColor colour, Cell cell);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  const char* Name() const { return name_; }
  Kind GetKind() const { return kind_; }
  Control* Parent() const { return parent_; }
  const Cell& GetCell() const { return cell_; }
  int MaxLength() const { return maxLength_; }

  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);
  TColor Colour() const { return colour_; }
  void SetColour(TColor c);
  TColor FontColour() const { return fontColour_; }
  void SetFontColour(TColor c);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);
  bool Visible() const { return visible_; }
  void SetVisible(bool on);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on);
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char c);

  // Setting the checked state fires OnClick when it changes, as the window
  // toolkit the tool was designed on does; a radio button unchecks its siblings.
  bool Checked() const { return checked_; }
  void SetChecked(bool on);

  // What the operator does (forwarded by the view).
  void Click();          // a button press, or a check box / radio button click
  void DblClick();
  void KeyPress(char& key);
  void TypeText(const std::string& text);  // the edit's text after operator typing

  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  std::function<void(char&)> OnKeyPress;

 protected:
  void Touch();

 private:
  TForm1* form_;
  const char* name_;
  Kind kind_;
  Control* parent_;
  Cell cell_;
  int maxLength_;
  std::string text_;
  TColor colour_;
  TColor fontColour_ = clr::WindowText;
  bool enabled_;
  bool visible_;
  bool readOnly_;
  bool checked_;
  char passwordChar_ = 0;
  bool dirty_ = false;
  friend class TForm1;
};

// Trace window.
class ListBoxControl : public Control {
 public:
  using Control::Control;
  const std::vector<std::string>& Items() const { return items_; }
  void AddItem(const std::string& line);
  void DeleteItem(std::size_t index);
  void ClearItems();
  int TopIndex() const { return topIndex_; }
  void SetTopIndex(int index);

 private:
  std::vector<std::string> items_;
  int topIndex_ = 0;
};

// Report-style list with a caption and two sub-items per row.
class ListViewControl : public Control {
 public:
  struct Row {
    std::string caption;
    std::string sub[2];
  };
  using Control::Control;
  const std::vector<Row>& Rows() const { return rows_; }
  void ClearRows();
  int AddRow(const std::string& caption);
  void SetSubItem(int row, int index, const std::string& text);
  int Selected() const { return selected_; }  // -1: no row selected
  void SetSelected(int row);

 private:
  std::vector<Row> rows_;
  int selected_ = -1;
};

// A chart's left axis; the bottom axis scales itself.
class ChartControl : public Control {
 public:
  using Control::Control;
  double LeftMin() const { return leftMin_; }
  double LeftMax() const { return leftMax_; }
  void SetLeftMin(double v);
  void SetLeftMax(double v);
  const std::string& LeftFormat() const { return leftFormat_; }
  int LeftSeparation() const { return leftSeparation_; }
  void SetLeftFormat(const std::string& picture, int separation);

 private:
  double leftMin_ = 0, leftMax_ = 100;
  std::string leftFormat_;
  int leftSeparation_ = 10;
};

// The one line series of a chart.
class SeriesControl : public Control {
 public:
  struct Point {
    double x, y;
    TColor colour;
  };
  using Control::Control;
  const std::vector<Point>& Points() const { return points_; }
  void Clear();
  void SetPoints(std::vector<Point> points);  // replaces the whole series at once
  // The whole series again after one more value came, which is its last point.
  // A view that keeps a longer history than the series tells new values by it.
  void AddValue(std::vector<Point> points);
  // Values added since the program started.
  std::uint64_t ValuesAdded() const { return valuesAdded_; }

 private:
  std::vector<Point> points_;
  std::uint64_t valuesAdded_ = 0;
};

class PageControl : public Control {
 public:
  using Control::Control;
  int ActivePage() const { return activePage_; }
  void SetActivePage(int index);

 private:
  int activePage_ = 1;  // as designed: the first sensor tab
};

// A bar filled to its position out of its maximum; a maximum of 0 shows it busy, with no end known.
class ProgressBarControl : public Control {
 public:
  using Control::Control;
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetMax(int max);
  void SetPosition(int position);  // kept within 0..Max

 private:
  int max_ = 350;  // as designed for the bar of the first tab
  int position_ = 0;
};

class TimerControl : public Control {
 public:
  using Control::Control;
  int Interval() const { return interval_; }
  void SetInterval(int ms);
  std::function<void()> OnTimer;

 private:
  int interval_ = 350;
};

template <Kind K>
struct ControlOf {
  using type = Control;
};
template <> struct ControlOf<Kind::ListBox> { using type = ListBoxControl; };
template <> struct ControlOf<Kind::ListView> { using type = ListViewControl; };
template <> struct ControlOf<Kind::Chart> { using type = ChartControl; };
template <> struct ControlOf<Kind::Series> { using type = SeriesControl; };
template <> struct ControlOf<Kind::PageControl> { using type = PageControl; };
template <> struct ControlOf<Kind::Timer> { using type = TimerControl; };
template <> struct ControlOf<Kind::ProgressBar> { using type = ProgressBarControl; };

}  // namespace zhv

// The status line under a secondary window's table: framed, wrapping plain
// text on the window's colour, red when it reports an error.
#pragma once

#include <QLabel>
#include <string>

namespace zhv {

class StatusLine : public QLabel {
 public:
  StatusLine(QWidget* parent, const char* objectName);

  void Say(const std::string& text, bool isError);
};

}  // namespace zhv

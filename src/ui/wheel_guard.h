// Drop-downs, number fields and sliders take the mouse wheel only while they
// have the keyboard focus. A page scrolled with the wheel then scrolls on
// when the pointer passes over one of them, instead of changing its value.
#pragma once

class QWidget;

namespace orvex {

// Every drop-down, number field and slider under `root` as it is now: a click
// or Tab gives them the focus (the wheel no longer does), and a wheel turn
// over one without the focus goes on to the widgets beneath it. Controls
// added later need another call.
void KeepWheelForFocusedControls(QWidget* root);

}  // namespace orvex

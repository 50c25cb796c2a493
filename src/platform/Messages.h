#pragma once
// Message box captions shown by more than one layer. A text or caption that
// only one layer shows is defined with that layer's other messages
// (startup/Loader.h, exchange/ExchangeMessages.h, careers/ChanceCardForm.h,
// ...), and the layers above refer to it there.

namespace jf {

// The program's name: the caption of its own notices and questions, and the
// application name of the editor.
inline constexpr char kProgramCaption[] = "Jobforge 3";

inline constexpr char kErrorCaption[] = "Error";
inline constexpr char kWarningCaption[] = "Warning";

}  // namespace jf

#pragma once
// Captions that fit whatever font the system gives. The windows place their
// controls where the design puts them, in a design measured for one font; in
// another font a caption can need more room. Each is measured in the font it
// got: a box that is too small first takes the free room beside and below it
// (never over another control, never past its frame's border), and only what
// still does not fit is drawn in a smaller font.

class QWidget;

namespace ostrel {

// Moves the controls of each frame in `window` below the frame's title where
// the title, in the font it got, is taller than the design allows for, then
// fits every caption in `window`.
void FitCaptions(QWidget* window);

// One control again, from its first place and font (a label whose text
// changed).
void FitCaption(QWidget* control);

}  // namespace ostrel

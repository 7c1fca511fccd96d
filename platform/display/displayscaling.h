#ifndef DISPLAYSCALING_H
#define DISPLAYSCALING_H

// Makes the window grow with the display's scaling (125 %, 150 %, ...) as a whole, rectangles and
// fonts by the same factor, instead of only its fonts. Call before the application object exists.
void prepareDisplayScaling();

#endif // DISPLAYSCALING_H

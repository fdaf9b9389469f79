// The application object: shows the main form modally; the program ends when it closes.
#pragma once

class CEncoderApp {
public:
    // Returns false: no message loop runs after the form has closed.
    bool InitInstance();
};

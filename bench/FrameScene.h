// The demo scene as the frame benchmarks run it, natively and in the browser: started once, on the
// headless platform at a steady 60 frames a second, 640 x 480, from the data set in `dataDir`.
// Ends the process with a message when the data set is not there.
#pragma once

class DemoScene;

DemoScene* startFrameScene(const char* dataDir);

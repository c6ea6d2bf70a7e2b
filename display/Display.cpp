// Display

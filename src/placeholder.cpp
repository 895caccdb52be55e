// The widgets of the program live in shell/ and charting/.

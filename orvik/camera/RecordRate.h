// Frames a second of a recorded clip, chosen when recording starts: one
// table for the recording dialog and the document that starts the writer.
#pragma once

// The rate of a Hestral camera by its frame width; 0 for a width the table
// lacks.
int HestralRecordRate(int width);
// The rate for camera type `camType`; a Hestral camera (types 3 to 6) goes by
// `hestralWidth`, and a width the table lacks keeps `previous`.
int ChooseRecordRate(int camType, int hestralWidth, int previous);

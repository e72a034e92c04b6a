#pragma once

// What a flow that shows a dialog gives back; callers often ignore it.
const int kFlowFailed = 0;
const int kFlowSucceeded = 1;  // loaded, chosen or written
const int kFlowCancelled = 2;  // the dialog was cancelled, or there was nothing to do

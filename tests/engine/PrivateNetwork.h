// Runs a piece of a test in a child process inside a brand-new network
// namespace that holds nothing but a loopback interface, so the test may
// send to addresses that exist nowhere: the send fails and nothing leaves.
// Needs root; returns the child's exit code (0: passed), or -1 when the
// namespace could not be made.
#pragma once

#include <functional>

int runInPrivateNetwork(const std::function<int()>& body);

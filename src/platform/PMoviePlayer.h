#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/PRect.h"

class PWindow;

// A movie library as the kernel's movie playback uses it, step by step: start the library,
// tie it to the main window, open a movie file, make the movie, preroll it, take its natural
// rectangle, give it the rectangle to draw in, start it, step it until it is done, dispose of
// it, untie the window and close the library. A player is made for one movie and dropped.
//
// No movie library is available on this system: the player Create gives reports itself absent
// (StartLibrary fails), and callers go on without the movie. Tests put their own player in.
class PMoviePlayer {
 public:
  virtual ~PMoviePlayer() = default;

  // Starts the library; false when it cannot be started (nothing is left open then).
  virtual bool StartLibrary() = 0;
  // Closes the library started by StartLibrary.
  virtual void StopLibrary() = 0;
  // Lets the library draw into the window, and ends that.
  virtual void AttachWindow(PWindow* window) = 0;
  virtual void DetachWindow() = 0;
  // Opens a movie file by program-form path; false when it is missing or cannot be read.
  virtual bool OpenFile(const std::string& path) = 0;
  // Makes the movie from the open file and closes the file; false when it holds no movie.
  virtual bool MakeMovie() = 0;
  // Readies the movie to play from its start at its preferred rate.
  virtual void Preroll() = 0;
  // The movie's natural rectangle.
  virtual PRect NaturalBox() = 0;
  // The rectangle of the window the movie is drawn in, scaled to fit.
  virtual void SetBox(const PRect& box) = 0;
  virtual void Start() = 0;
  virtual bool IsDone() = 0;
  // Lets the movie play on for at most maxMs milliseconds.
  virtual void Task(uint32_t maxMs) = 0;
  virtual void DisposeMovie() = 0;

  // A new player: the system's, or what the factory set for tests makes.
  static std::unique_ptr<PMoviePlayer> Create();
  // Tests only: the players Create makes from now on (null: the system's again).
  static void SetFactory(std::function<std::unique_ptr<PMoviePlayer>()> factory);
};

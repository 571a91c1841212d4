#pragma once
// Watches a scene's mechanical energy for the sign that the step itself feeds it. Air drag,
// the dampers and every bounce only ever take energy out, so once a scene is left alone its
// energy, averaged over a second, can only fall. The step holds each pass's forces fixed, and
// that grows motion across stretched links (a taut string's zigzag, a hanging sheet's flapping)
// faster than the air drag takes it out: then the mean rises from one second to the next.

namespace velmora {

class EnergyWatch {
  public:
    /// Length of the windows whose mean energies are compared, simulated seconds.
    static constexpr double kWindowSeconds = 1.0;

    /// A pass that simulated `seconds` and ended with total energy `energy`.
    void add(double energy, double seconds);
    /// Whether the mean of a window has come out higher than the one before since the last
    /// restart. Stays true until the next restart.
    bool risen() const { return risen_; }
    /// Forgets everything seen: a new scene, or the old one put back as it started.
    void restart() { *this = EnergyWatch(); }

  private:
    double sum_ = 0.0;   ///< energy times seconds over the open window
    double time_ = 0.0;  ///< seconds in the open window
    double previousMean_ = 0.0;
    bool havePrevious_ = false;
    bool risen_ = false;
};

}  // namespace velmora

// Status codes returned by the engines' operations. 0 is success and -1 a cancel by the
// user; every other value names one failure and has exactly one message in the job
// layer's status table.
#pragma once

namespace vq {

enum EngineStatus : int {
    kStatusOk = 0,
    kStatusCancelled = -1,

    kFilterMatrixNotOpen = 512,     // Run without a loaded filter matrix
    kMissingInputFile = 513,        // an input file is not open
    kFilterMatrixChannels = 514,    // the filter matrix does not have 4 channels
    kChannelCountMismatch = 515,    // inputs disagree or have the wrong channel count
    kSampleRateMismatch = 516,      // inputs or filter matrix disagree on the rate
    kLengthMismatch = 517,          // the two inputs have different lengths
    kInputOpenFailed = 518,         // an input cannot be opened for reading
    kOutputOpenFailed = 519,        // an output cannot be created
    kFilterMatrixOpenFailed = 520,  // the filter matrix cannot be opened

    kInputReadFailed = 521,         // an input delivered fewer frames than it holds
    kOutputWriteFailed = 522,       // an output took fewer frames than written (disk full?)
    kFilterMatrixReadFailed = 523,  // the filter matrix cannot be read to the end
    kFilterMatrixLength = 524,      // fewer than 4 frames, or filters too long to use
    kOutOfMemory = 525,             // the working buffers cannot be allocated
    kFftSetupFailed = 526,          // FFTW cannot plan the transforms
    kOutputOverwritesInput = 527,   // an output names an input, the filter matrix or another output
    kBadState = 528,                // an operation called out of order (Autorange before Run, ...)
    kBadParameter = 529,            // an argument is out of range (an input index, a missing path, ...)
    kNonFiniteInput = 530,          // an input or the filter matrix holds NaN or an infinity
    kOutputExists = 531,            // an output's name was taken while the run wrote it (no replacing)

    // Head-related impulse responses for headphone decoding; the HRIR set keeps a reason
    // text that says what exactly is wrong.
    kHrtfOpenFailed = 540,    // the SOFA file cannot be opened (missing, no permission)
    kHrtfRateUnusable = 541,  // the HRIRs cannot be brought to the recording's sample rate
    kHrtfNotSofa = 542,       // not a SOFA (netCDF-4/HDF5) file that can be read
    kHrtfNotHrirs = 543,      // a SOFA file, but not free-field HRIRs for two ears
    kHrtfMalformed = 544,     // sizes or values in the SOFA file contradict each other
    kHrtfUnreadable = 545,    // reading the SOFA file hung, crashed or ran out of memory

    // Movies for 360° video (MOV, MP4): their audio codec, the video clip they carry and the
    // head-locked stereo pair; the detail says which file and why.
    kMovieCodecUnusable = 580,        // the codec is missing or refuses the rate, channels or bit rate
    kMovieEncodeFailed = 581,         // the audio encoder failed while encoding
    kVideoClipUnreadable = 582,       // the video clip cannot be opened or read, or its length is unknown
    kVideoClipNoVideo = 583,          // the video clip holds no video stream
    kVideoClipUnusable = 584,         // the chosen container cannot carry the clip's video codec
    kHeadLockedNotStereo = 585,       // the head-locked file does not have two channels
    kHeadLockedRateMismatch = 586,    // the head-locked file's sample rate is not the take's
    kHeadLockedLengthMismatch = 587,  // the head-locked file's length is not the take's
    kMovieWriterUnavailable = 588,    // the movie helper cannot be run, or ended without an answer

    // The map of where the sound comes from: its band does not fit the take, or its picture
    // cannot be drawn or its files written; the detail says which file and why.
    kDirectionMapFailed = 590,
};

}  // namespace vq

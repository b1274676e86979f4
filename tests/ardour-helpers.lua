-- What the Ardour 7 session scripts (tests/lv2/ardour-kit.lua,
-- tests/vst3/ardour-vst3.lua) share, loaded with dofile beside them.
local helpers = {}

-- Waits for a condition, not a time; the deadline only catches a hang.
function helpers.wait_until(what, condition)
  for _ = 1, 6000 do
    if condition() then return end
    ARDOUR.LuaAPI.usleep(10000)
  end
  error("gave up waiting for " .. what)
end

function helpers.param(proc, index)
  return ARDOUR.LuaAPI.get_processor_param(proc, index, true)
end

-- The track's instrument: its outputs as the plug-in, the insert and the
-- track count them, and the values of the parameters `indices` names.
function helpers.report(track, indices)
  local proc = track:nth_plugin(0)
  local insert = proc:to_insert()
  print(string.format("plugin %s, %d audio outputs, the insert %d, the track %d",
    proc:display_name(), insert:plugin(0):get_info().n_outputs:n_audio(),
    insert:output_streams():n_audio(), track:n_outputs():n_audio()))
  for _, index in ipairs(indices) do
    print(string.format("param %d %.4f", index, helpers.param(proc, index)))
  end
  return proc
end

function helpers.save()
  assert(Session:save_state("", false, false, false, false, false) == 0, "the session was not saved")
  print("saved")
end

-- The session "kit" in the folder "session" opened anew, its track "Kit"
-- reported, and saved again.
function helpers.reopen(indices)
  Session = load_session("session", "kit")
  assert(Session, "the session did not open")
  helpers.report(Session:route_by_name("Kit"):to_track(), indices)
  helpers.save()
end

return helpers

-- Helpers for models: which cameras draw them and in what order.

-- The camera mask bit of a camera number.
function cameraBit(cameraNo)
  return bit32.lshift(1, cameraNo)
end

-- Shows the model with one camera at the given draw priority.
function showModelOn(model, cameraNo, priority)
  model:setRenderCameraBit(cameraBit(cameraNo))
  if priority then
    model:setRenderPriority(priority)
  end
  model:setVisible(true)
  return model
end

function hideModel(model)
  model:setVisible(false)
  return model
end

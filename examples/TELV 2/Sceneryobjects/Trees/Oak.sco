[description]
oak, mature

[mesh]
model\main.mesh

[collision_mesh]
model\collision.mesh

[description]
old barn with hay loft

[mesh]
model\main.mesh

[collision_mesh]
model\collision.mesh
